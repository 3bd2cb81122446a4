#pragma once
// The description of a product that XScreenSaver's settings dialog reads:
// its title, and an option for each setting the product lets the user set
// among those the program takes as switches.

#include <string>
#include <string_view>

namespace ris {

class TSettingsList;

// `program` is the product's program name, as the daemon's list names it.
std::string HackXml(const TSettingsList& settings, std::string_view program);

}  // namespace ris
