#include "config/keys.h"

namespace torvel::keys {

std::string AttributeKey(int id) { return std::to_string(id); }

std::string AttributeValueKey(int id, std::string_view name) {
  return std::to_string(id) + "-" + std::string(name);
}

std::string AttributeKey(int id, const char* suffix) {
  return std::to_string(id) + "-" + suffix;
}

}  // namespace torvel::keys
