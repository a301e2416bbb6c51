// libFuzzer target for the JSON reader: any bytes must parse without harm
// or be refused; a value read must come back the same when written out
// again with the program's own string and number writers; and any bytes as
// a string literal must read back as exactly those bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base/Json.h"

using tarnwell::JsonValue;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string Write(const JsonValue& value) {
  switch (value.Type) {
    case JsonValue::Kind::Null:
      return "null";
    case JsonValue::Kind::Bool:
      return value.Boolean ? "true" : "false";
    case JsonValue::Kind::Number:
      return tarnwell::JsonNumber(value.Number);
    case JsonValue::Kind::String:
      return tarnwell::JsonString(value.Text);
    case JsonValue::Kind::Array: {
      std::string text = "[";
      for (const JsonValue& item : value.Items) text += (text.size() > 1 ? "," : "") + Write(item);
      return text + "]";
    }
    case JsonValue::Kind::Object: {
      std::string text = "{";
      for (const auto& member : value.Members) {
        text += (text.size() > 1 ? "," : "") + tarnwell::JsonString(member.Name) + ":" +
                Write(member.Value);
      }
      return text + "}";
    }
  }
  return "";
}

// Bit for bit for numbers, so that -0.0 stays negative.
bool Same(const JsonValue& a, const JsonValue& b) {
  if (a.Type != b.Type) return false;
  switch (a.Type) {
    case JsonValue::Kind::Null:
      return true;
    case JsonValue::Kind::Bool:
      return a.Boolean == b.Boolean;
    case JsonValue::Kind::Number:
      return std::memcmp(&a.Number, &b.Number, sizeof a.Number) == 0;
    case JsonValue::Kind::String:
      return a.Text == b.Text;
    case JsonValue::Kind::Array:
      if (a.Items.size() != b.Items.size()) return false;
      for (std::size_t i = 0; i < a.Items.size(); ++i) {
        if (!Same(a.Items[i], b.Items[i])) return false;
      }
      return true;
    case JsonValue::Kind::Object:
      if (a.Members.size() != b.Members.size()) return false;
      for (std::size_t i = 0; i < a.Members.size(); ++i) {
        if (a.Members[i].Name != b.Members[i].Name) return false;
        if (!Same(a.Members[i].Value, b.Members[i].Value)) return false;
      }
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (const std::optional<JsonValue> value = tarnwell::ParseJson(input)) {
    const std::string written = Write(*value);
    const std::optional<JsonValue> again = tarnwell::ParseJson(written);
    Check(again.has_value() && Same(*value, *again));
    // What the typed lookups answer for the first member, whatever its kind.
    if (!value->Members.empty()) {
      const std::string& key = value->Members.front().Name;
      Check(value->Find(key) == &value->Members.front().Value);
      (void)value->NumberAt(key);
      (void)value->TextAt(key);
      (void)value->BoolAt(key);
    }
  }

  const std::string bytes(input);
  const std::string literal = tarnwell::JsonString(bytes);
  const std::optional<JsonValue> text = tarnwell::ParseJson(literal);
  Check(text.has_value() && text->Type == JsonValue::Kind::String && text->Text == bytes);

  // A number made of the input's first bytes keeps its value and its point.
  if (size >= sizeof(double)) {
    double number = 0;
    std::memcpy(&number, data, sizeof number);
    const std::string digits = tarnwell::JsonNumber(number);
    const std::optional<JsonValue> read = tarnwell::ParseJson(digits);
    if (std::isfinite(number)) {
      Check(digits.find('.') != std::string::npos);
      Check(read.has_value() && read->Type == JsonValue::Kind::Number &&
            std::memcmp(&read->Number, &number, sizeof number) == 0);
    } else {
      Check(read.has_value() && read->Type == JsonValue::Kind::Null);
    }
  }
  return 0;
}
