// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/ogg_writer.h"

#include <vorbis/vorbisenc.h>

#include <fstream>
#include <vector>

namespace sounds {

namespace {
constexpr int kSerial = 0x47726D62;  // fixed stream serial number
constexpr long kChunk = 4096;        // frames handed to the encoder at a time

void append_page(std::vector<unsigned char>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Owns the encoder state and releases it on every path.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysis = false, stream_open = false;
  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (stream_open) ogg_stream_clear(&stream);
    if (analysis) {
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // Moves every finished packet into pages.
  void drain(std::vector<unsigned char>& out) {
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) append_page(out, page);
      }
    }
  }
};
}  // namespace

bool write_ogg(const std::filesystem::path& file, const Audio& audio, int rate, float quality,
               double lowpass_khz, std::string& error) {
  const int channels = audio.stereo() ? 2 : 1;
  Encoder enc;
  bool ready = vorbis_encode_setup_vbr(&enc.info, channels, rate, quality) == 0;
  if (ready && lowpass_khz > 0) ready = vorbis_encode_ctl(&enc.info, OV_ECTL_LOWPASS_SET, &lowpass_khz) == 0;
  if (ready) ready = vorbis_encode_setup_init(&enc.info) == 0;
  if (!ready) {
    error = "Ogg Vorbis encoder set-up failed for " + file.string();
    return false;
  }
  vorbis_comment_add_tag(&enc.comment, "TITLE", file.stem().string().c_str());
  if (vorbis_analysis_init(&enc.dsp, &enc.info) != 0 || vorbis_block_init(&enc.dsp, &enc.block) != 0) {
    error = "Ogg Vorbis encoder start failed for " + file.string();
    return false;
  }
  enc.analysis = true;
  ogg_stream_init(&enc.stream, kSerial);
  enc.stream_open = true;

  std::vector<unsigned char> out;
  {
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&enc.dsp, &enc.comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&enc.stream, &id);
    ogg_stream_packetin(&enc.stream, &comments);
    ogg_stream_packetin(&enc.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&enc.stream, &page)) append_page(out, page);
  }

  const long frames = static_cast<long>(audio.frames());
  for (long at = 0; at < frames; at += kChunk) {
    const long n = std::min(kChunk, frames - at);
    float** buffer = vorbis_analysis_buffer(&enc.dsp, static_cast<int>(n));
    for (long i = 0; i < n; ++i) {
      buffer[0][i] = audio.left[static_cast<std::size_t>(at + i)];
      if (channels == 2) buffer[1][i] = audio.right[static_cast<std::size_t>(at + i)];
    }
    vorbis_analysis_wrote(&enc.dsp, static_cast<int>(n));
    enc.drain(out);
  }
  vorbis_analysis_wrote(&enc.dsp, 0);  // end of stream
  enc.drain(out);
  {
    ogg_page page;
    while (ogg_stream_flush(&enc.stream, &page)) append_page(out, page);
  }

  std::ofstream f(file, std::ios::binary | std::ios::trunc);
  if (f) f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!f) {
    error = "cannot write " + file.string();
    return false;
  }
  return true;
}

}  // namespace sounds
