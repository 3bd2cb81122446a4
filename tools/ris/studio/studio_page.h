#pragma once
// The studio's page: HTML, CSS and JavaScript in one text, compiled into
// ris so that nothing is fetched or built to show it.

#include <string_view>

namespace ris::tool {

std::string_view StudioPage();

}  // namespace ris::tool
