// SPDX-License-Identifier: GPL-3.0-or-later
// Scene layers, full-screen pictures, the loading picture, the exit-screen link pictures and
// the scene preview.
#include <cmath>
#include <string>

#include "game/gfx/catalogue_table.h"
#include "tools/makedata/language.h"
#include "game/qzX/ricochet_spans.h"
#include "tools/makedata/gfx_names.h"
#include "tools/makedata/image.h"
#include "tools/makedata/outputs.h"
#include "tools/makedata/render.h"
#include "tools/makedata/scene1.h"
#include "tools/makedata/scene2.h"

namespace makedata {

namespace {

constexpr int jpeg_quality = 88;

// Frames an animation is drawn with (its largest count over the editions).
int frames_of(const std::string& name) {
    for (const auto& [n, frames] : animation_frames())
        if (n == name) return frames;
    return 1;
}

// Draws one frame of an animation with its cell's top left corner at x, y.
void draw_frame(cairo_t* cr, const Art& a, const std::string& name, int frame, double x, double y) {
    cairo_surface_t* strip = render_surface(a, frames_of(name));
    cairo_set_source_surface(cr, strip, x, y - double(frame) * a.h);
    cairo_rectangle(cr, x, y, a.w, a.h);
    cairo_fill(cr);
    cairo_surface_destroy(strip);
}

Image paint(int w, int h, const std::function<void(cairo_t*)>& fn) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    fn(cr);
    cairo_destroy(cr);
    Image image = image_from_surface(s);
    cairo_surface_destroy(s);
    return image;
}

// Transparent pixels take the colour of the nearest opaque pixel in their column, so the JPEG
// has no hard edges to ring around (the mask hides them anyway).
Image bleed(Image image) {
    for (int x = 0; x < image.width; ++x) {
        int first = -1;
        for (int y = 0; y < image.height; ++y)
            if (image.is_opaque(x, y)) {
                first = y;
                break;
            }
        if (first < 0) continue;
        for (int y = 0; y < first; ++y) image.at(x, y) = image.at(x, first);
        Rgb8 last = image.at(x, first);
        for (int y = first; y < image.height; ++y) {
            if (image.is_opaque(x, y)) {
                last = image.at(x, y);
            } else {
                image.at(x, y) = last;
            }
        }
    }
    return image;
}

bool write_masked_jpeg(const std::filesystem::path& root, const std::string& name, const Image& image,
                       std::string& error) {
    return write_jpeg(archive_path(root, name, ".jpg"), bleed(image), jpeg_quality, error) &&
           write_mask(archive_path(root, name + "mask", ".bmp"), image, error);
}

Image scene1_layer(int layer) {
    return paint(scene1_widths[layer], 600, [layer](cairo_t* cr) { paint_scene1_layer(cr, layer); });
}

// The first scene as the player sees it at one scroll position (layer 1 columns), targets
// drawn in their frames when a table is given.
cairo_surface_t* compose_scene1(const Image (&layers)[5], int scroll, const ArtTable* art) {
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
    cairo_t* cr = cairo_create(out);
    for (int layer = 4; layer >= 0; --layer) {
        const double factor = double(scene1_widths[layer] - 800) / (scene1_widths[1] - 800);
        const int offset = int(scroll * factor);
        if (art && layer == 1)  // field runners pass behind the ground layer
            for (int k = 0; k < scene1_placement_count; ++k) {
                const Placement& p = scene1_placements[k];
                if (std::string(p.name).find("chickenruns") == std::string::npos) continue;
                draw_frame(cr, art->at(p.name), p.name, p.frame, p.x - offset, p.y);
            }
        cairo_surface_t* s = surface_from_image(layers[layer]);
        cairo_set_source_surface(cr, s, -offset, 0);
        cairo_paint(cr);
        cairo_surface_destroy(s);
        if (!art) continue;
        for (int k = 0; k < scene1_placement_count; ++k) {
            const Placement& p = scene1_placements[k];
            if (p.depth != layer || std::string(p.name).find("chickenruns") != std::string::npos) continue;
            draw_frame(cr, art->at(p.name), p.name, p.frame, p.x - offset, p.y);
        }
    }
    cairo_destroy(cr);
    return out;
}

Image compose_scene2(bool with_targets, const ArtTable* art);

// The exit screen's boards: XS and XL hold the link pictures on a board that runs off the
// bottom edge, with the exit button (688 or 680, from y 520) standing right of it; in XXL the
// credits scroll over a board that runs off the top and the bottom edge.
struct ExitBoard {
    double x, y, w, h;
};
constexpr ExitBoard exit_boards[3] = {{334, 20, 346, 620}, {334, 20, 346, 620}, {320, -40, 430, 700}};

// The exit screen's link pictures: where the screen shows them and their sizes, which keep
// each on its edition's board, clear of the next one and of the exit button.
struct LinkPicture {
    int edition;  // 0 XS, 1 XL
    int number;   // "ad<number>"
    int x, y, w, h;
    const char* line1;
    const char* line2;
};
constexpr LinkPicture link_pictures[] = {
    {0, 1, 383, 59, 276, 320, "Online-Bestenliste", "Trag deinen Rekord ein!"},
    {0, 2, 358, 408, 302, 110, "Mehr Spiele", "auf unserer Seite"},
    {0, 3, 396, 562, 262, 34, "Hilfe und Tipps", nullptr},
    {1, 1, 448, 420, 212, 160, "Bestenliste", "Zeig deinen Rekord!"},
};

// A wooden board panel for menus.
void panel(cairo_t* cr, double x, double y, double w, double h) {
    rrect_path(cr, x + 8, y + 10, w, h, 22);
    set_col(cr, hex(0x000000), 0.35);
    cairo_fill(cr);
    box(cr, x, y, w, h, 22, hex(0x8a5a32), 4, false);
    rrect_path(cr, x + 14, y + 14, w - 28, h - 28, 14);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.18, 0.12, 0.08, 0.82);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.12, 0.08, 0.05, 0.88);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    for (double nx : {x + 14, x + w - 14})
        for (double ny : {y + 14, y + h - 14}) blob(cr, nx, ny, 4, 4, pal::metal, 1.5, false);
}

void scene_backdrop(cairo_t* cr, cairo_surface_t* scene, double dim) {
    cairo_set_source_surface(cr, scene, 0, 0);
    cairo_paint(cr);
    if (dim > 0) {
        cairo_set_source_rgba(cr, 0.1, 0.06, 0.02, dim);
        cairo_paint(cr);
    }
}

void flying_chicken(cairo_t* cr, double x, double y, double scale, bool right, double wing) {
    ChickenPose p;
    p.x = x;
    p.y = y;
    p.scale = scale;
    p.face_right = right;
    p.wing = wing;
    draw_chicken(cr, p);
}

// Warm rays from a point, for the branding screens.
void sunburst(cairo_t* cr, double cx, double cy) {
    cairo_set_source_rgb(cr, 0.98, 0.84, 0.50);
    cairo_paint(cr);
    for (int k = 0; k < 24; k += 2) {
        const double a0 = k * M_PI / 12, a1 = (k + 1) * M_PI / 12;
        cairo_move_to(cr, cx, cy);
        cairo_line_to(cr, cx + 1200 * std::cos(a0), cy + 1200 * std::sin(a0));
        cairo_line_to(cr, cx + 1200 * std::cos(a1), cy + 1200 * std::sin(a1));
        cairo_close_path(cr);
    }
    set_col(cr, hex(0xfce7a8));
    cairo_fill(cr);
    cairo_pattern_t* g = cairo_pattern_create_radial(cx, cy, 50, cx, cy, 600);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.9, 0.6);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.9, 0.6, 0.3, 0.3);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
}

// A hen on her nest with eggs, bottom centre.
void nesting_hen(cairo_t* cr, double cx, double ground) {
    blob(cr, cx, ground - 20, 150, 34, hex(0xc89a50), 3);
    for (int k = 0; k < 3; ++k) blob(cr, cx - 90 + k * 22, ground - 40, 13, 17, hex(0xfff6e4), 2);
    ChickenPose hen;
    hen.x = cx + 30;
    hen.y = ground - 70;
    hen.scale = 1.0;
    hen.legs = Legs::none;
    hen.eyes = Eyes::happy;
    hen.wing = 0.2;
    draw_chicken(cr, hen);
    for (int k = 0; k < 9; ++k) {
        const double a = M_PI * (0.05 + 0.9 * k / 8.0);
        stick(cr, cx + 150 * std::cos(a), ground - 20 - 20 * std::sin(a), cx + 120 * std::cos(a), ground - 4, 5,
              hex(0xa87a38), 1);
    }
}

void title_logo(cairo_t* cr, double cx, double y, double size) {
    draw_label(cr, "GrumboldX", cx + 6, y + 8, size, hex(0x3a2410), 0);
    draw_label(cr, "GrumboldX", cx, y, size, hex(0xffb020), size * 0.06);
}

}  // namespace

// Screen picture number (0..5) over the first scene; the exit screen's (3) differs by edition
// (0 XS, 1 XL, 2 XXL).
void paint_screen_picture(cairo_t* cr, int number, int edition, cairo_surface_t* scene) {
    switch (number) {
    case 0: {  // title card
        scene_backdrop(cr, scene, 0.1);
        flying_chicken(cr, 140, 250, 1.2, true, 0.9);
        flying_chicken(cr, 640, 300, 0.9, false, -0.5);
        flying_chicken(cr, 520, 190, 0.5, false, 0.6);
        title_logo(cr, 400, 150, 120);
        // a ribbon under the title
        cairo_move_to(cr, 150, 176);
        cairo_curve_to(cr, 300, 168, 500, 168, 650, 176);
        cairo_line_to(cr, 640, 218);
        cairo_curve_to(cr, 500, 210, 300, 210, 160, 218);
        cairo_close_path(cr);
        styled(cr, hex(0xc8322a), 3);
        draw_label(cr, "Die große Hühnerjagd auf dem Land", 400, 204, 28, hex(0xfff4d0), 2);
        break;
    }
    case 1: {  // help: the ten lines from y 191 and the menu button (376, 520) on the board
        scene_backdrop(cr, scene, 0.35);
        panel(cr, 60, 160, 680, 428);
        draw_label(cr, "Hilfe", 400, 138, 60, hex(0xffd040), 3);
        break;
    }
    case 2: {  // highscores: the score line (y 151), the eight rows and both buttons on the board;
               // the name entry's prompt between the title and the board
        scene_backdrop(cr, scene, 0.35);
        panel(cr, 160, 128, 480, 460);
        draw_label(cr, "Bestenliste", 400, 72, 54, hex(0xffd040), 3);
        break;
    }
    case 3: {  // credits / exit screen
        scene_backdrop(cr, scene, 0.25);
        const ExitBoard& b = exit_boards[edition];
        panel(cr, b.x, b.y, b.w, b.h);
        if (edition == 1) {  // the board above the one link picture
            const double cx = b.x + b.w / 2;
            title_logo(cr, cx, 110, 58);
            draw_label(cr, "Danke fürs Spielen!", cx, 180, 30, hex(0xfff1dc), 2);
            flying_chicken(cr, cx, 300, 0.9, true, 0.7);
        }
        // the mascot with a sign on the left (a link area in some editions)
        box(cr, 40, 140, 250, 150, 14, hex(0xe6b04a), 3);
        draw_label(cr, "Auf Wiedersehen!", 165, 205, label_size_to_fit(cr, "Auf Wiedersehen!", 28, 230, 1.5),
                   hex(0xc8322a), 1.5);
        draw_label(cr, "Bis bald auf dem Hof", 165, 250, label_size_to_fit(cr, "Bis bald auf dem Hof", 22, 230, 0),
                   hex(0x5a2a10), 0);
        stick(cr, 160, 290, 160, 420, 10, pal::wood_dark, 2);
        ChickenPose hen;
        hen.x = 170;
        hen.y = 440;
        hen.scale = 1.1;
        hen.legs = Legs::standing;
        hen.eyes = Eyes::happy;
        hen.wing = 1;
        draw_chicken(cr, hen);
        break;
    }
    case 4: {  // start branding (XS)
        sunburst(cr, 400, 250);
        title_logo(cr, 400, 210, 110);
        draw_label(cr, "XS", 400, 300, 80, hex(0xc8322a), 4);
        draw_label(cr, "Ein Spiel vom Hühnerhof", 400, 350, 30, hex(0x5a2a10), 0);
        flying_chicken(cr, 660, 110, 0.8, false, 0.8);
        flying_chicken(cr, 130, 150, 0.5, true, -0.4);
        nesting_hen(cr, 400, 590);
        break;
    }
    case 5: {  // end branding
        sunburst(cr, 400, 250);
        title_logo(cr, 400, 200, 100);
        draw_label(cr, "Danke fürs Spielen!", 400, 290, 44, hex(0xc8322a), 3);
        flying_chicken(cr, 150, 110, 0.7, true, 0.9);
        flying_chicken(cr, 650, 90, 0.5, false, -0.3);
        nesting_hen(cr, 400, 590);
        break;
    }
    default:
        break;
    }
}

// An exit-screen link picture at (x, y) over the exit screen's picture (backdrop), whose pixels
// fill the corners around the sign so the picture sits on the board without a seam; tall ones
// show a trophy with a chicken on it, wide ones a chicken beside the words. The words shrink to
// fit the sign.
void paint_link_picture(cairo_t* cr, cairo_surface_t* backdrop, int x, int y, int w, int h, const char* line1,
                        const char* line2) {
    cairo_set_source_surface(cr, backdrop, -x, -y);
    cairo_paint(cr);
    box(cr, 4, 4, w - 8, h - 8, std::min(16, h / 3), hex(0xe6b04a), 3);
    const double room = w - 24;  // inside the sign's edge, with a margin
    if (h >= 150) {
        const double s = std::min(1.0, h / 320.0);  // the trophy's scale
        draw_label(cr, line1, w / 2.0, h * 0.19, label_size_to_fit(cr, line1, std::min(34.0, h * 0.16), room, 2),
                   hex(0xc8322a), 2);
        // trophy
        const double cx = w / 2.0, top = h * 0.4;
        cairo_save(cr);
        cairo_translate(cr, cx, top);
        cairo_scale(cr, s, s);
        cairo_move_to(cr, -50, 0);
        cairo_line_to(cr, 50, 0);
        cairo_curve_to(cr, 48, 60, 20, 80, 0, 82);
        cairo_curve_to(cr, -20, 80, -48, 60, -50, 0);
        cairo_close_path(cr);
        styled(cr, hex(0xf0c030), 3);
        for (int side = -1; side <= 1; side += 2) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, side * 52, 24, 16, 0, 2 * M_PI);
            set_col(cr, pal::outline);
            cairo_set_line_width(cr, 8);
            cairo_stroke_preserve(cr);
            set_col(cr, hex(0xf0c030));
            cairo_set_line_width(cr, 4);
            cairo_stroke(cr);
        }
        box(cr, -8, 80, 16, 24, 3, hex(0xd8a820), 2, false);
        box(cr, -34, 102, 68, 16, 4, hex(0x8a5a32), 2, false);
        draw_label(cr, "1.", 0, 50, 36, hex(0xfff4c0), 2);
        ChickenPose hen;
        hen.x = 6;
        hen.y = -22;
        hen.scale = 0.42;
        hen.legs = Legs::standing;
        hen.eyes = Eyes::happy;
        hen.wing = 0.9;
        draw_chicken(cr, hen);
        cairo_restore(cr);
        if (line2)
            draw_label(cr, line2, w / 2.0, h * 0.9, label_size_to_fit(cr, line2, std::min(24.0, h * 0.13), room, 0),
                       hex(0x5a2a10), 0);
        return;
    }
    const bool roomy = h >= 60;
    // the words centred right of the chicken, or on the whole sign
    const double text_x = roomy ? w / 2.0 + 30 : w / 2.0;
    const double text_room = roomy ? 2 * (w - 12 - text_x) : room;
    if (roomy) {
        ChickenPose hen;
        hen.x = 46;
        hen.y = h * 0.55;
        hen.scale = std::min(0.45, h / 220.0);
        hen.face_right = true;
        hen.legs = Legs::none;
        hen.eyes = Eyes::happy;
        hen.wing = 0.8;
        draw_chicken(cr, hen);
    }
    draw_label(cr, line1, text_x, h * (line2 ? 0.46 : 0.72),
               label_size_to_fit(cr, line1, std::min(32.0, h * 0.55), text_room, 2), hex(0xc8322a), 2);
    if (line2)
        draw_label(cr, line2, text_x, h * 0.8, label_size_to_fit(cr, line2, std::min(22.0, h * 0.22), text_room, 0),
                   hex(0x5a2a10), 0);
}

void paint_loading_screen(cairo_t* cr) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 600);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.40, 0.65, 0.90);
    cairo_pattern_add_color_stop_rgb(g, 0.7, 0.98, 0.88, 0.66);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.45, 0.70, 0.28);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    cairo_rectangle(cr, 0, 520, 800, 80);
    flat(cr, pal::grass);
    // the nest and the empty egg the bar fills (bar picture 368 × 380 at 216, 110)
    blob(cr, 400, 500, 230, 40, hex(0xc89a50), 3);
    ellipse_path(cr, 216 + 184, 110 + 196, 150, 182);
    set_col(cr, hex(0xfff8ec));
    cairo_fill_preserve(cr);
    set_col(cr, pal::outline);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    for (int k = 0; k < 9; ++k) {
        const double a = M_PI * (0.1 + 0.8 * k / 8.0);
        stick(cr, 400 + 240 * std::cos(a), 500 - 30 * std::sin(a), 400 + 180 * std::cos(a), 520, 5, hex(0xa87a38), 1);
    }
    ChickenPose hen;
    hen.x = 660;
    hen.y = 460;
    hen.scale = 0.9;
    hen.legs = Legs::standing;
    hen.eyes = Eyes::happy;
    draw_chicken(cr, hen);
    title_logo(cr, 400, 70, 64);
    draw_label(cr, "Lade ...", 400, 575, 34, hex(0xfff4d0), 2.5);
}

bool write_backgrounds(const Roots& roots, std::string& error) {
    // German writes every picture; a language's pass only those it has words of its own in.
    const bool german = picture_language() == nullptr;
    auto wanted = [german]() {
        const bool translated = take_translated_word();
        return german || translated;
    };
    // scene 1 layers
    Image layers[5];
    for (int i = 0; i < 5; ++i) {
        layers[i] = scene1_layer(i);
        if (!wanted()) continue;
        const bool ok = i == 4 ? write_jpeg(archive_path(roots.common, gfx::scene1_layers[i], ".jpg"), layers[i],
                                            jpeg_quality, error)
                               : write_masked_jpeg(roots.common, gfx::scene1_layers[i], layers[i], error);
        if (!ok) return false;
    }
    // scene 2 layers (XXL only)
    for (int i = 0; i < 3; ++i) {
        const Image image = paint(800, 600, [i](cairo_t* cr) { paint_scene2_layer(cr, i); });
        if (!wanted()) continue;
        const bool ok = i == 2 ? write_jpeg(archive_path(roots.edition[2], gfx::scene2_layers[i], ".jpg"), image,
                                            jpeg_quality, error)
                               : write_masked_jpeg(roots.edition[2], gfx::scene2_layers[i], image, error);
        if (!ok) return false;
    }

    cairo_surface_t* scene = compose_scene1(layers, 380, nullptr);
    bool ok = true;
    for (int n = 0; n < 6 && ok; ++n) {
        if (n == 3) continue;
        const Image image = paint(800, 600, [&](cairo_t* cr) { paint_screen_picture(cr, n, 0, scene); });
        if (wanted()) ok = write_jpeg(archive_path(roots.common, gfx::screen_pictures[n], ".jpg"), image, 90, error);
    }
    // the exit screen of each edition, with its link pictures (XS: three, XL: one) painted over it
    for (int edition = 0; edition < 3 && ok; ++edition) {
        const Image exit = paint(800, 600, [&](cairo_t* cr) { paint_screen_picture(cr, 3, edition, scene); });
        if (wanted()) ok = write_jpeg(archive_path(roots.edition[edition], gfx::screen_pictures[3], ".jpg"), exit, 90, error);
        cairo_surface_t* backdrop = surface_from_image(exit);
        for (const LinkPicture& l : link_pictures) {
            if (l.edition != edition || !ok) continue;
            const Image image = paint(
                l.w, l.h, [&](cairo_t* cr) { paint_link_picture(cr, backdrop, l.x, l.y, l.w, l.h, l.line1, l.line2); });
            if (wanted()) ok = write_jpeg(archive_path(roots.edition[edition], "data\\gfx\\ad" + std::to_string(l.number), ".jpg"),
                            image, 90, error);
        }
        cairo_surface_destroy(backdrop);
    }
    cairo_surface_destroy(scene);
    return ok;
}

namespace {

// Draws a text with the bitmap font as the game does (glyph after glyph, one pixel apart, a
// space 10 pixels); scale 0.75 for the small font.
struct FontView {
    const FontPicture* font;
    cairo_surface_t* surface;
    const FontGlyph* find(char16_t c) const {
        for (const FontGlyph& g : font->glyphs)
            if (g.code == c) return &g;
        return nullptr;
    }
    double width(const std::u16string& text, double scale) const {
        double w = 0;
        for (char16_t c : text) {
            if (c == u' ') {
                w += 10;
            } else if (const FontGlyph* g = find(c)) {
                w += scale == 1 ? g->width + 1 : int((g->width) * 3 / 4) + 1;
            }
        }
        return w;
    }
    void draw(cairo_t* cr, double x, double y, const std::u16string& text, double scale) const {
        const int h = font->image.height;
        for (char16_t c : text) {
            if (c == u' ') {
                x += 10;
                continue;
            }
            const FontGlyph* g = find(c);
            if (!g) continue;
            const int top = h - (g->row + 1) * font->row_height;
            cairo_save(cr);
            cairo_translate(cr, x + 1, y + 1);
            cairo_scale(cr, scale, scale);
            cairo_set_source_surface(cr, surface, -g->x, -top);
            cairo_rectangle(cr, 0, 0, g->width, font->row_height);
            cairo_fill(cr);
            cairo_restore(cr);
            x += scale == 1 ? g->width + 1 : int((g->width) * 3 / 4) + 1;
        }
    }
};

// A text of edition XL.
std::u16string text_of(int index) {
    for (const auto& [n, t] : text_table(1))
        if (n == index) return t;
    return u"Can't find text!";
}

bool save_png(cairo_surface_t* s, const std::filesystem::path& file, std::string& error) {
    const bool ok = cairo_surface_write_to_png(s, file.string().c_str()) == CAIRO_STATUS_SUCCESS;
    if (!ok) error = "cannot write " + file.string();
    return ok;
}

// The menu screens with their buttons and texts, laid out as the game shows them.
bool write_screen_previews(const std::filesystem::path& dir, const ArtTable& art, std::string& error) {
    FontPicture font;
    if (!build_font(font, error)) return false;
    cairo_surface_t* font_surface = surface_from_image(font.image);
    const FontView view{&font, font_surface};
    Image layers[5];
    for (int i = 0; i < 5; ++i) layers[i] = scene1_layer(i);
    cairo_surface_t* scene = compose_scene1(layers, 380, nullptr);
    auto button = [&](cairo_t* cr, int index, int frame) {
        const gfx::MenuButton& b = gfx::menu_buttons[index];
        const Art& a = art.at(b.name);
        cairo_surface_t* strip = render_surface(a, 3);
        cairo_set_source_surface(cr, strip, b.x, b.y - double(frame) * a.h);
        cairo_rectangle(cr, b.x, b.y, a.w, a.h);
        cairo_fill(cr);
        cairo_surface_destroy(strip);
    };
    bool ok = true;
    auto screen = [&](const char* file, const std::function<void(cairo_t*)>& fn) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 800, 600);
        cairo_t* cr = cairo_create(s);
        fn(cr);
        cairo_destroy(cr);
        ok = ok && save_png(s, dir / file, error);
        cairo_surface_destroy(s);
    };
    screen("title.png", [&](cairo_t* cr) {
        paint_screen_picture(cr, 0, 0, scene);
        for (int b = 0; b < 4; ++b) button(cr, b, b == 1 ? 1 : 0);
        view.draw(cr, 729, 565, u"V1.1", 1);
    });
    screen("help.png", [&](cairo_t* cr) {
        paint_screen_picture(cr, 1, 0, scene);
        button(cr, 5, 0);
        double y = 191;
        for (int k = 50; k <= 59; ++k) {
            const std::u16string t = text_of(k);
            view.draw(cr, 400 - int(view.width(t, 1)) / 2, y, t, 1);
            y += t.size() > 1 ? 34 : 18;
        }
    });
    screen("highscore.png", [&](cairo_t* cr) {
        paint_screen_picture(cr, 2, 0, scene);
        button(cr, 4, 0);
        button(cr, 5, 1);
        const std::u16string prompt = text_of(14);
        view.draw(cr, 400 - int(view.width(prompt, 1)) / 2, 86, prompt, 1);
        std::u16string line = text_of(13);
        line.replace(line.find(u"%d"), 2, u"1234");
        view.draw(cr, 400 - int(view.width(line, 1)) / 2, 151, line, 1);
        for (int k = 0; k < 8; ++k) {
            const double y = 192 + 33 * k;
            view.draw(cr, 200, y, text_of(20 + k), 1);
            std::u16string score;
            for (char c : std::to_string(1000 - k * 120)) score.push_back(char16_t(c));
            view.draw(cr, 610 - view.width(score, 1), y, score, 1);
        }
    });
    screen("credits.png", [&](cairo_t* cr) {
        paint_screen_picture(cr, 3, 2, scene);
        double y = 40;
        for (int k = 0; y < 600; ++k) {
            std::u16string t = text_of(100 + k);
            if (t == u"*ENDE*") break;
            const bool big = !t.empty() && t[0] == u'#';
            if (big) t.erase(0, 1);
            const double scale = big ? 1 : 0.75;
            const double w = big ? view.width(t, 1) : (view.width(t, 1) - t.size()) * 3 / 4 + t.size();
            view.draw(cr, 533 - int(w) / 2, y, t, scale);
            y += 34;
        }
    });
    for (int edition = 0; edition < 2; ++edition) {
        const Image exit = paint(800, 600, [&](cairo_t* cr) { paint_screen_picture(cr, 3, edition, scene); });
        cairo_surface_t* backdrop = surface_from_image(exit);
        screen(edition == 0 ? "exit_xs.png" : "exit_xl.png", [&](cairo_t* cr) {
            cairo_set_source_surface(cr, backdrop, 0, 0);
            cairo_paint(cr);
            for (const LinkPicture& l : link_pictures) {
                if (l.edition != edition) continue;
                cairo_save(cr);
                cairo_translate(cr, l.x, l.y);
                cairo_rectangle(cr, 0, 0, l.w, l.h);
                cairo_clip(cr);
                paint_link_picture(cr, backdrop, l.x, l.y, l.w, l.h, l.line1, l.line2);
                cairo_restore(cr);
            }
            draw_frame(cr, art.at("data\\gfx\\but_xit"), "data\\gfx\\but_xit", 0, edition == 0 ? 688 : 680,
                       edition == 0 ? 525 : 520);
        });
        cairo_surface_destroy(backdrop);
    }
    screen("loading.png", [&](cairo_t* cr) {
        paint_loading_screen(cr);
        // the bar at 60 percent, growing upwards from the bottom of its picture
        const Art& bar = art.at(gfx::loading_bar_picture);
        cairo_surface_t* strip = render_surface(bar, 1);
        const int fill = 60 * bar.h / 100;
        cairo_set_source_surface(cr, strip, gfx::loading_bar_x, gfx::loading_bar_y);
        cairo_rectangle(cr, gfx::loading_bar_x, gfx::loading_bar_y + bar.h - fill, bar.w, fill);
        cairo_fill(cr);
        cairo_surface_destroy(strip);
    });
    cairo_surface_destroy(scene);
    ok = ok && save_png(font_surface, dir / "font.png", error);
    cairo_surface_destroy(font_surface);
    return ok;
}

}  // namespace

namespace {

// The targets' hit boxes (x, y, w, h relative to the target's place) and the scene's ricochet
// rectangles, outlined over the preview to check that each lands on the part of the picture it
// names.
struct Box {
    int x0, y0, x1, y1;  // inclusive
};
struct HitBox {
    int x, y;  // the target's place
    int bx, by, bw, bh;
};
constexpr HitBox hit_boxes[] = {
    {2698, 189, 0, 0, 100, 38},  {2698, 189, 57, 42, 15, 13}, {2698, 189, 26, 42, 16, 12},
    {2698, 189, 35, 63, 27, 19}, {2698, 189, 37, 48, 24, 22}, {2698, 189, 37, 29, 24, 20},  // pumpkin stages
    {1408, 447, 0, 26, 26, 37},                                                            // snail's tail
    {150, 288, 5, 0, 27, 29},                                                              // the hive
    {2830, 175, 136, 58, 13, 13}, {2830, 175, 112, 55, 39, 63},                            // latch, opening
    {2179, 456, 0, 0, 48, 54},   {2265, 459, 12, 8, 52, 49},                               // card players
};

void outline_box(cairo_t* cr, double x0, double y0, double x1, double y1, Col c) {
    cairo_rectangle(cr, x0 + 0.5, y0 + 0.5, x1 - x0, y1 - y0);
    set_col(cr, c);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

}  // namespace

bool write_scene_preview(const std::filesystem::path& dir, const ArtTable& art, std::string& error) {
    if (!write_screen_previews(dir, art, error)) return false;
    {  // the first scene with the ricochet rectangles (red) and hit boxes (yellow)
        Image layers[5];
        for (int i = 0; i < 5; ++i) layers[i] = scene1_layer(i);
        for (int scroll : {0, 550, 1400, 2200}) {
            cairo_surface_t* s = compose_scene1(layers, scroll, &art);
            cairo_t* cr = cairo_create(s);
            for (const qzx::RicochetSpan& b : qzx::ricochet_spans)
                outline_box(cr, b.x1 - scroll, b.y1, b.x2 + 1 - scroll, b.y2 + 1, hex(0xff2020));
            for (const HitBox& h : hit_boxes)
                outline_box(cr, h.x + h.bx - scroll, h.y + h.by, h.x + h.bx + h.bw - scroll, h.y + h.by + h.bh, hex(0xffff00));
            cairo_destroy(cr);
            const bool ok = save_png(s, dir / ("boxes1_" + std::to_string(scroll) + ".png"), error);
            cairo_surface_destroy(s);
            if (!ok) return false;
        }
    }
    {  // the megagun assembled from its parts at their offsets, firing
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 240);
        cairo_t* cr = cairo_create(s);
        cairo_set_source_rgb(cr, 0.62, 0.80, 0.70);
        cairo_paint(cr);
        const char* parts[] = {"data\\gfx\\weapon", "data\\gfx\\barrel",  "data\\gfx\\bullets",   "data\\gfx\\fire",
                               "data\\gfx\\pluesch", "data\\gfx\\rocket", "data\\gfx\\screen", "data\\gfx\\arrowspin"};
        for (const char* part : parts) {
            int x = 0, y = 0;
            for (const gfx::ArtAnchor& a : gfx::art_anchors)
                if (std::string(a.name) == part && std::string(part) != "data\\gfx\\weapon") {
                    x = a.x;
                    y = a.y;
                }
            draw_frame(cr, art.at(part), part, 0, 20 + x, 40 + y);
        }
        cairo_destroy(cr);
        const bool ok = save_png(s, dir / "megagun.png", error);
        cairo_surface_destroy(s);
        if (!ok) return false;
    }
    Image layers[5];
    for (int i = 0; i < 5; ++i) layers[i] = scene1_layer(i);
    for (int scroll : {0, 550, 1100, 1650, 2200}) {
        cairo_surface_t* s = compose_scene1(layers, scroll, &art);
        const auto file = dir / ("scene1_" + std::to_string(scroll) + ".png");
        const bool ok = cairo_surface_write_to_png(s, file.string().c_str()) == CAIRO_STATUS_SUCCESS;
        cairo_surface_destroy(s);
        if (!ok) {
            error = "cannot write " + file.string();
            return false;
        }
    }
    const Image scene2 = compose_scene2(true, &art);
    {  // the grave's slab rectangles and the window's hit box over the second scene
        cairo_surface_t* s = surface_from_image(scene2);
        cairo_t* cr = cairo_create(s);
        const Box slab[] = {{142, 19, 197, 48}, {116, 48, 221, 76}, {120, 76, 215, 117}, {124, 117, 182, 131}};
        for (const Box& b : slab) outline_box(cr, 303 + b.x0, 424 + b.y0, 303 + b.x1 + 1, 424 + b.y1 + 1, hex(0xffff00));
        outline_box(cr, 408 + 13, 201 + 17, 408 + 13 + 43, 201 + 17 + 57, hex(0xffff00));
        cairo_destroy(cr);
        const bool ok = save_png(s, dir / "boxes2.png", error);
        cairo_surface_destroy(s);
        if (!ok) return false;
    }
    cairo_surface_t* s = surface_from_image(scene2);
    const auto file = dir / "scene2.png";
    const bool ok = cairo_surface_write_to_png(s, file.string().c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) error = "cannot write " + file.string();
    return ok;
}

namespace {

struct Placement2 {
    const char* name;
    int frame, x, y;
};
constexpr Placement2 scene2_placements[] = {
    {"doghouse", 0, 654, 305},       {"barrels", 0, 311, 298},        {"chimneyshoot", 0, 157, 54},
    {"chimneyshoot2", 0, 192, 54},   {"barrel01", 12, 299, 238},      {"barrel03", 10, 472, 320},
    {"chimney", 10, 147, 0},         {"windowrshoot", 0, 408, 59},    {"windowr", 12, 408, 59},
    {"topcorner", 12, 549, 0},       {"behindwood", 12, 89, 233},     {"doghouse_", 10, 594, 334},
    {"frontbigbarrel", 8, 526, 458}, {"dooropen", 5, 175, 227},       {"door", 10, 200, 241},
    {"tree", 0, 532, 258},           {"windowopenclose", 0, 408, 201}, {"axe", 0, 114, 360},
    {"shore", 0, 553, 275},          {"cloth1", 0, 606, 260},          {"cloth2", 0, 660, 257},
    {"cloth3", 0, 686, 252},         {"trambo", 0, 330, 120},          {"grave", 0, 303, 424},
    {"ghost", 0, 325, 340},
};

Image compose_scene2(bool with_targets, const ArtTable* art) {
    return paint(800, 600, [&](cairo_t* cr) {
        const int rows[3] = {600, 400, 300};
        for (int layer = 2; layer >= 0; --layer) {
            const Image image = paint(800, 600, [layer](cairo_t* c) { paint_scene2_layer(c, layer); });
            cairo_surface_t* s = surface_from_image(image);
            cairo_set_source_surface(cr, s, 0, 0);
            cairo_rectangle(cr, 0, 0, 800, rows[layer]);
            cairo_fill(cr);
            cairo_surface_destroy(s);
            if (!with_targets || !art) continue;
            for (const Placement2& p : scene2_placements) {
                const std::string name = std::string("data\\gfx2\\") + p.name;
                const bool depth1 = name.find("cloth") != std::string::npos || name.find("trambo") != std::string::npos;
                if ((layer == 1) != depth1 || (layer == 2)) continue;
                draw_frame(cr, art->at(name), name, p.frame, p.x, p.y);
            }
        }
    });
}

}  // namespace

}  // namespace makedata
