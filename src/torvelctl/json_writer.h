// The JSON text of torvelctl's --json output: written front to back, with
// the commas and the escaping in one place. Strings go in as UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

class JsonWriter {
 public:
  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  // The next value's name, inside an object.
  JsonWriter& Key(std::string_view name);

  JsonWriter& String(std::string_view utf8);
  JsonWriter& Int(std::int64_t value);
  // A number with `decimals` places, as the text output rounds it.
  JsonWriter& Fixed(double value, int decimals);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();
  // The value, or null when there is none.
  JsonWriter& OptionalInt(std::optional<std::int64_t> value);
  JsonWriter& OptionalString(std::optional<std::string> utf8);

  // Key and value in one.
  template <typename T>
  JsonWriter& Field(std::string_view name, const T& value);

  // The document, ending in a line feed.
  std::string Finish() { return text_ + "\n"; }

 private:
  JsonWriter& Open(char bracket);
  JsonWriter& Close(char bracket);
  void BeforeValue();

  std::string text_;
  // One per open bracket: whether it holds a value yet.
  std::vector<bool> filled_;
  bool afterKey_ = false;
};

// `text` as a JSON string literal, quotes included.
std::string JsonString(std::string_view utf8);

template <typename T>
JsonWriter& JsonWriter::Field(std::string_view name, const T& value) {
  Key(name);
  if constexpr (std::is_same_v<T, bool>) return Bool(value);
  else if constexpr (std::is_integral_v<T>) return Int(static_cast<std::int64_t>(value));
  else if constexpr (std::is_same_v<T, std::optional<std::int64_t>>) return OptionalInt(value);
  else if constexpr (std::is_same_v<T, std::optional<std::string>>) return OptionalString(value);
  else return String(value);
}

}  // namespace torvel
