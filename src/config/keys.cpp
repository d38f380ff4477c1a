#include "config/keys.h"

#include "drive/smart_data.h"

namespace torvel::keys {

std::string AttributeKey(int id) { return std::to_string(id); }

std::string AttributeValueKey(int id) {
  return std::to_string(id) + "-" + std::string(AttributeName(id));
}

std::string AttributeKey(int id, const char* suffix) {
  return std::to_string(id) + "-" + suffix;
}

}  // namespace torvel::keys
