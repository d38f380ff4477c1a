// The maker's name the Disk info page shows, guessed from the model text.
#pragma once

#include <string>
#include <string_view>

namespace torvel {

// The first table entry the model begins with, in any case, names the
// maker; no match, like an empty model, gives an empty text.
std::string ManufacturerFromModel(std::string_view model);

}  // namespace torvel
