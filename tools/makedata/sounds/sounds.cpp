#include "tools/makedata/sounds/sounds.h"

namespace sounds {

bool make_sounds(const std::filesystem::path&, std::string&) { return true; }

}  // namespace sounds
