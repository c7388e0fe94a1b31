// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/charts.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "game/qzX/replay_tolerance.h"
#include "server/reply.h"

namespace server {

namespace {

// The scenery targets' event codes as the targets record them (game/qzX/targets/*.cpp): one row
// per code. The chart counts hits by name, so codes of one deed share a name (the beekeeper
// records his points by the bees that are out, the card game its 21 in two places).
struct TargetRow {
  int code;
  const char* name;
};
constexpr TargetRow target_rows[] = {
    {1, "Ofen: Brathähnchen"},
    {2, "Tresor"},
    {3, "Huhn im See"},
    {4, "Klohäuschen: Huhn"},
    {6, "Hoftor"},
    {7, "Briefkasten"},
    {8, "Kürbis: Deckel"},
    {9, "Kürbis: rechtes Auge"},
    {10, "Kürbis: linkes Auge"},
    {11, "Kürbis: Grinsen"},
    {12, "Kürbis: Nase"},
    {13, "Kürbis: Stern"},
    {14, "Kartenspiel: überkauft"},
    {15, "Igel: Spieler getroffen"},
    {16, "Eisenkiste"},
    {17, "Auto: Stoßstange"},
    {18, "Auto: Tür"},
    {19, "Auto: Front"},
    {21, "Schnecke: erschossen"},
    {22, "Hof: Apfelbaum"},
    {23, "Hof: Axt"},
    {24, "Hof: Grab"},
    {26, "Hof: Schaufel"},
    {30, "Hof: Fensterflügel"},
    {31, "Hof: Gespenst"},
    {32, "Ölfass"},
    {34, "Hof: Fensterrahmen"},
    {35, "Hof: offene Tür"},
    {36, "Baum: lacht"},
    {37, "Klohäuschen: Riegel"},
    {38, "Apfel"},
    {39, "Schafreiter: glücklich"},
    {40, "Schafreiter: Schaf getroffen"},
    {41, "Schlüssel"},
    {42, "Hof: Fass 1"},
    {43, "Hof: Fass 2"},
    {44, "Hof: Fass 3"},
    {45, "Megawumme"},
    {46, "Schnecke: gibt auf"},
    {50, "Maisfeld: Huhn"},
    {51, "Fass: Huhn"},
    {52, "Auto: Huhn"},
    {53, "Wegweiser"},
    {54, "Drachen"},
    {55, "Blume: Huhn"},
    {58, "Kartenspiel: Karte geben"},
    {59, "Igel: 17"},
    {60, "Igel: 18"},
    {61, "Igel: 19"},
    {62, "Igel: 20"},
    {63, "Kartenspiel: 21"},
    {64, "Schnecke: frisst den Apfel"},
    {65, "Huhn vorne"},
    {66, "Huhn vorne: Karte 10"},
    {67, "Huhn vorne: Karte 15"},
    {68, "Huhn vorne: Karte 20"},
    {69, "Huhn vorne: Karte 30"},
    {70, "Huhn vorne: Karte −50"},
    {71, "Hof: Huhn im Schornstein"},
    {72, "Hof: Huhn in der Tür"},
    {73, "Hof: Huhn im Fass 1"},
    {74, "Hof: Huhn im Fass 2"},
    {75, "Hof: Huhn im Fass 3"},
    {76, "Hof: Huhn im oberen Fenster"},
    {77, "Hof: Huhn im großen Fenster"},
    {78, "Hof: Huhn in der Hundehütte"},
    {79, "Hof: Huhn im großen Fass"},
    {80, "Hof: Huhn auf dem Trampolin"},
    {81, "Hof: Huhn an der Ecke"},
    {82, "Hof: Huhn hinter dem Holz"},
    {83, "Hof: Wäsche 1"},
    {84, "Hof: Wäsche 2"},
    {85, "Hof: Wäsche 3"},
    {86, "Maisfeld: weiße Fahne"},
    {87, "Hof: Schornstein"},
    {88, "Baum: Schuss"},
    {89, "Klohäuschen: Schuss"},
    {90, "Ofen: Schuss"},
    {91, "Huhn mit Pfanne"},
    {92, "Bienen: Stich"},
    {93, "Imker"},
    {94, "Imker"},
    {95, "Imker"},
    {96, "Imker"},
    {97, "Drachen: Huhn"},
    {98, "Drachen: Huhn fällt"},
};

constexpr bool rows_in_order() {
  for (std::size_t i = 1; i < std::size(target_rows); ++i)
    if (target_rows[i - 1].code >= target_rows[i].code || target_rows[i].code >= first_chicken_code) return false;
  return true;
}
static_assert(rows_in_order(), "one row per code, below the chickens' codes, in order");

constexpr int first_bonus = 50003, last_bonus = 50006;

std::string number(double v) {
  char out[32];
  std::snprintf(out, sizeof out, "%.1f", v);
  return out;
}

// A step that gives about `ticks` lines between 0 and span: 1, 2 or 5 times a power of ten.
std::int64_t nice_step(std::int64_t span, int ticks) {
  std::int64_t step = 1;
  while (step * 10 * ticks <= span) step *= 10;
  if (step * 2 * ticks > span) return step;
  if (step * 5 * ticks > span) return step * 2;
  return step * 5;
}

std::string text_at(double x, double y, const std::string& text, const char* anchor = "start",
                    const char* css_class = "") {
  return "<text x=\"" + number(x) + "\" y=\"" + number(y) + "\" text-anchor=\"" + anchor + "\"" +
         (*css_class ? std::string(" class=\"") + css_class + "\"" : std::string()) + ">" + html_escape(text) +
         "</text>";
}

}  // namespace

const char* target_name(int code) {
  const auto* end = std::end(target_rows);
  const auto* it = std::lower_bound(std::begin(target_rows), end, code,
                                    [](const TargetRow& r, int c) { return r.code < c; });
  return it != end && it->code == code ? it->name : nullptr;
}

std::string score_chart(const Timeline& t, const Language& l) {
  constexpr double width = 640, height = 280, left = 52, right = 14, top = 14, bottom = 36;
  const double plot_w = width - left - right, plot_h = height - top - bottom;
  const std::vector<TimedEvent> events = real_events(t.events);
  std::int64_t length = t.length_ms;
  for (const ScorePoint& p : t.scores) length = std::max<std::int64_t>(length, p.ms);
  if (length <= 0) length = 1000;
  std::int32_t highest = 0, lowest = 0;
  for (const ScorePoint& p : t.scores) {
    highest = std::max(highest, p.score);
    lowest = std::min(lowest, p.score);
  }
  const std::int64_t score_step = nice_step(std::max<std::int64_t>(highest - lowest, 10), 5);
  const std::int64_t top_score = (highest + score_step - 1) / score_step * score_step;
  const std::int64_t bottom_score = lowest < 0 ? -((-lowest + score_step - 1) / score_step * score_step) : 0;
  const double span = static_cast<double>(std::max<std::int64_t>(top_score - bottom_score, 1));
  auto x_of = [&](std::int64_t ms) { return left + plot_w * static_cast<double>(ms) / static_cast<double>(length); };
  auto y_of = [&](std::int64_t score) {
    return top + plot_h * (1.0 - static_cast<double>(score - bottom_score) / span);
  };
  auto score_at = [&](std::int64_t ms) {
    std::int32_t s = 0;
    for (const ScorePoint& p : t.scores) {
      if (p.ms > ms) break;
      s = p.score;
    }
    return s;
  };

  const std::string title = tr(l, "Punkte im Lauf der Runde");
  std::string svg = "<svg class=\"chart\" viewBox=\"0 0 " + number(width) + " " + number(height) +
                    "\" role=\"img\" aria-label=\"" + html_escape(title) + "\"><title>" + html_escape(title) +
                    "</title>";
  // The grid: a line per score step, one per ten seconds.
  for (std::int64_t s = bottom_score; s <= top_score; s += score_step) {
    svg += "<line class=\"grid\" x1=\"" + number(left) + "\" x2=\"" + number(width - right) + "\" y1=\"" +
           number(y_of(s)) + "\" y2=\"" + number(y_of(s)) + "\"/>";
    svg += text_at(left - 6, y_of(s) + 4, std::to_string(s), "end", "axis");
  }
  const std::int64_t time_step = nice_step(length / 1000, 8) * 1000;
  for (std::int64_t ms = 0; ms <= length; ms += time_step) {
    svg += "<line class=\"grid\" x1=\"" + number(x_of(ms)) + "\" x2=\"" + number(x_of(ms)) + "\" y1=\"" +
           number(top) + "\" y2=\"" + number(top + plot_h) + "\"/>";
    svg += text_at(x_of(ms), top + plot_h + 16, std::to_string(ms / 1000) + " s", "middle", "axis");
  }
  // The switch into the yard: the second scene's part of the round is shaded.
  for (const TimedEvent& e : events)
    if (e.code == yard_code) {
      svg += "<rect class=\"yard\" x=\"" + number(x_of(e.ms)) + "\" y=\"" + number(top) + "\" width=\"" +
             number(left + plot_w - x_of(e.ms)) + "\" height=\"" + number(plot_h) + "\"><title>" +
             html_escape(tr(l, "Im Hof")) + "</title></rect>";
      svg += text_at(x_of(e.ms) + 4, top + 14, tr(l, "Hof"), "start", "label");
      break;
    }
  // The score as steps: it holds until the next change.
  std::string path = "M";
  path += number(x_of(0)) + " " + number(y_of(0));
  for (const ScorePoint& p : t.scores) {
    path += 'H';
    path += number(x_of(p.ms));
    path += 'V';
    path += number(y_of(p.score));
  }
  path += 'H';
  path += number(x_of(length));
  svg += "<path class=\"score\" d=\"" + path + "\"/>";
  // The marks, each with its words on hovering.
  for (const TimedEvent& e : events) {
    const double x = x_of(e.ms), y = y_of(score_at(e.ms));
    if (e.code >= first_bonus && e.code <= last_bonus) {
      const int points = qzx::bonus_points(e.code);
      svg += "<circle class=\"bonus\" cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"5\"><title>" +
             html_escape(tr(l, "Mehrfachtreffer-Bonus: +{} Punkte ({} s)",
                            {std::to_string(points), number(e.ms / 1000.0)})) +
             "</title></circle>";
    } else if (e.code == megagun_code) {
      svg += "<path class=\"megagun\" d=\"M" + number(x) + " " + number(y - 12) + "l7 12l-7 12l-7 -12z\"><title>" +
             html_escape(tr(l, "Megawumme ({} s)", {number(e.ms / 1000.0)})) + "</title></path>";
    }
  }
  svg += "<line class=\"axis-line\" x1=\"" + number(left) + "\" x2=\"" + number(left) + "\" y1=\"" + number(top) +
         "\" y2=\"" + number(top + plot_h) + "\"/>";
  svg += "</svg>";
  const std::string legend = "<p class=\"legend\"><span class=\"key score\"></span>" + tr(l, "Punkte") +
                             " <span class=\"key bonus\"></span>" + tr(l, "Mehrfachtreffer-Bonus") +
                             " <span class=\"key megagun\"></span>" + tr(l, "Megawumme") +
                             " <span class=\"key yard\"></span>" + tr(l, "Im Hof") + "</p>";
  return svg + legend;
}

std::string hits_chart(const Timeline& t, const Language& l) {
  // Chickens by their points (5: near and big, 25: far and small), targets by name.
  int chickens[5] = {};
  std::map<std::string, int> targets;
  for (const TimedEvent& e : real_events(t.events)) {
    if (is_chicken(e.code)) {
      ++chickens[chicken_points(e.code) / 5 - 1];
    } else if (is_target(e.code) && e.code != megagun_code) {
      const char* name = target_name(e.code);
      ++targets[name ? tr(l, name) : tr(l, "Ziel {}", {std::to_string(e.code)})];
    }
  }
  struct Bar {
    std::string label;
    int count;
    const char* css_class;
  };
  std::vector<Bar> bars;
  static const char* const sizes[5] = {"Huhn, groß und nah: 5 Punkte", "Huhn: 10 Punkte", "Huhn: 15 Punkte",
                                       "Huhn: 20 Punkte", "Huhn, klein und fern: 25 Punkte"};
  for (int i = 0; i < 5; ++i) bars.push_back({tr(l, sizes[i]), chickens[i], "chicken"});
  std::vector<Bar> target_bars;
  for (const auto& [name, count] : targets) target_bars.push_back({name, count, "target"});
  std::stable_sort(target_bars.begin(), target_bars.end(),
                   [](const Bar& a, const Bar& b) { return a.count > b.count; });
  bars.insert(bars.end(), target_bars.begin(), target_bars.end());

  int most = 1;
  for (const Bar& b : bars) most = std::max(most, b.count);
  constexpr double width = 640, label_w = 250, row_h = 22, top = 8;
  const double bar_room = width - label_w - 50;
  const double height = top * 2 + row_h * static_cast<double>(bars.size()) + (target_bars.empty() ? row_h : 0);
  const std::string title = tr(l, "Was getroffen wurde");
  std::string svg = "<svg class=\"chart\" viewBox=\"0 0 " + number(width) + " " + number(height) +
                    "\" role=\"img\" aria-label=\"" + html_escape(title) + "\"><title>" + html_escape(title) +
                    "</title>";
  double y = top;
  for (const Bar& b : bars) {
    const double w = b.count == 0 ? 0 : std::max(2.0, bar_room * b.count / most);
    svg += text_at(label_w - 8, y + 15, b.label, "end", "label");
    svg += "<rect class=\"" + std::string(b.css_class) + "\" x=\"" + number(label_w) + "\" y=\"" + number(y + 3) +
           "\" width=\"" + number(w) + "\" height=\"" + number(row_h - 6) + "\"/>";
    svg += text_at(label_w + w + 6, y + 15, std::to_string(b.count), "start", "label");
    y += row_h;
  }
  if (target_bars.empty()) svg += text_at(label_w, y + 15, tr(l, "Keine Ziele getroffen."), "start", "axis");
  return svg + "</svg>";
}

}  // namespace server
