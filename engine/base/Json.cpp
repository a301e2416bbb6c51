// JSON text: string literals that stay UTF-8 whatever bytes they carry, and
// a small reader for the program's own documents (the run history).
#include "engine/base/Json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "engine/base/Utf8.h"

namespace tarnwell {

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t length = Utf8SequenceLength(text, i);
    char escaped[8];
    if (length == 0) {
      // A byte that is not UTF-8 (a file name in another encoding) becomes
      // the lone surrogate U+DC00 + byte, as Python's "surrogateescape" does,
      // so the document stays UTF-8 and the bytes can be recovered.
      std::snprintf(escaped, sizeof escaped, "\\udc%02x", byte);
      quoted += escaped;
      ++i;
      continue;
    }
    if (length > 1) {
      quoted.append(text, i, length);
      i += length;
      continue;
    }
    ++i;
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string JsonNumber(double value) {
  // JSON has no NaN or infinity; nothing the program measures gives one.
  if (!std::isfinite(value)) return "null";
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  std::string text(digits, result.ptr);
  // Always with a fraction ("500.0", "1.0e-05"), so that a reader never sees
  // the field turn from a float into an integer when a value happens to be
  // whole.
  if (text.find('.') == std::string::npos) {
    const std::size_t exponent = text.find('e');
    text.insert(exponent == std::string::npos ? text.size() : exponent, ".0");
  }
  return text;
}

const JsonValue* JsonValue::Find(std::string_view key) const {
  // Most names differ in their length or first letter: no comparison of
  // the whole is needed for them.
  for (const auto& [name, value] : Members) {
    if (name.size() == key.size() && (key.empty() || name[0] == key[0]) && name == key) {
      return &value;
    }
  }
  return nullptr;
}

double JsonValue::NumberAt(std::string_view key, double otherwise) const {
  const JsonValue* value = Find(key);
  return value != nullptr && value->Type == Kind::Number ? value->Number : otherwise;
}

std::string JsonValue::TextAt(std::string_view key) const {
  const JsonValue* value = Find(key);
  return value != nullptr && value->Type == Kind::String ? value->Text : std::string();
}

bool JsonValue::BoolAt(std::string_view key) const {
  const JsonValue* value = Find(key);
  return value != nullptr && value->Type == Kind::Bool && value->Boolean;
}

namespace {

// Reads a value into a JsonValue, or with no JsonValue to read into checks
// it just as strictly and keeps nothing, so that what a reader does not want
// costs no memory.
class Reader {
public:
  // `keep`: the top-level members to build; nullptr for all of them.
  Reader(std::string_view text, const std::vector<std::string_view>* keep)
      : text_(text), keep_(keep) {}

  bool Document(JsonValue& value) {
    if (!Value(&value, 0)) return false;
    Blanks();
    return at_ == text_.size();
  }

private:
  static constexpr int MaxDepth = 64;

  // The bytes a string holds as they are: all but the quote, the backslash
  // and control characters.
  static constexpr std::array<bool, 256> Plain = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 256; ++c) plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
  }();

  void Blanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool Take(char c) {
    Blanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  // `value` is nullptr where the value is only checked.
  bool Value(JsonValue* value, int depth) {
    if (depth > MaxDepth) return false;
    Blanks();
    if (at_ >= text_.size()) return false;
    const char c = text_[at_];
    if (c == '{') return Object(value, depth);
    if (c == '[') return Array(value, depth);
    if (c == '"') {
      if (value == nullptr) return String(nullptr);
      value->Type = JsonValue::Kind::String;
      return String(&value->Text);
    }
    if ((c == 't' && Word("true")) || (c == 'f' && Word("false"))) {
      if (value != nullptr) {
        value->Type = JsonValue::Kind::Bool;
        value->Boolean = c == 't';
      }
      return true;
    }
    if (c == 'n' && Word("null")) {
      if (value != nullptr) value->Type = JsonValue::Kind::Null;
      return true;
    }
    return Number(value);
  }

  std::size_t Digits(std::size_t at) const {
    std::size_t end = at;
    while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
    return end - at;
  }

  // Where a number's text ends and the shape of its parts.
  struct NumberText {
    std::size_t End = 0;
    std::size_t Whole = 0;     // digits before the point
    std::size_t Fraction = 0;  // digits after it
    bool Exponent = false;
  };

  // JSON's own number grammar, which from_chars alone would widen ("nan",
  // "inf", ".5", "01"); nullopt where the text at `at_` is no number.
  std::optional<NumberText> ScanNumber() const {
    NumberText number;
    std::size_t at = at_;
    if (at < text_.size() && text_[at] == '-') ++at;
    number.Whole = Digits(at);
    if (number.Whole == 0 || (number.Whole > 1 && text_[at] == '0')) return std::nullopt;
    at += number.Whole;
    if (at < text_.size() && text_[at] == '.') {
      number.Fraction = Digits(at + 1);
      if (number.Fraction == 0) return std::nullopt;
      at += 1 + number.Fraction;
    }
    if (at < text_.size() && (text_[at] == 'e' || text_[at] == 'E')) {
      ++at;
      if (at < text_.size() && (text_[at] == '+' || text_[at] == '-')) ++at;
      const std::size_t digits = Digits(at);
      if (digits == 0) return std::nullopt;
      at += digits;
      number.Exponent = true;
    }
    number.End = at;
    return number;
  }

  // A value beyond a double's range is no value either.
  bool Number(JsonValue* value) {
    const std::size_t begin = at_;
    const std::optional<NumberText> scanned = ScanNumber();
    if (!scanned) return false;
    const auto [at, whole, fraction, exponent] = *scanned;
    // Without an exponent, a few hundred digits lie well within a double's
    // range either way: only a check needs no conversion then.
    if (value == nullptr && !exponent && whole + fraction <= 300) {
      at_ = at;
      return true;
    }
    // A whole number of up to 15 digits is exact as a double.
    if (!exponent && fraction == 0 && whole <= 15) {
      std::int64_t digits = 0;
      for (std::size_t i = at - whole; i < at; ++i) digits = digits * 10 + (text_[i] - '0');
      at_ = at;
      if (value != nullptr) {
        value->Type = JsonValue::Kind::Number;
        value->Number = static_cast<double>(text_[begin] == '-' ? -digits : digits);
      }
      return true;
    }
    double number = 0;
    const char* first = text_.data() + begin;
    const auto result = std::from_chars(first, text_.data() + at, number);
    if (result.ec != std::errc() || result.ptr != text_.data() + at) return false;
    at_ = at;
    if (value != nullptr) {
      value->Type = JsonValue::Kind::Number;
      value->Number = number;
    }
    return true;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool Hex4(unsigned& code) {
    if (at_ + 4 > text_.size()) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      code <<= 4;
      if (c >= '0' && c <= '9')
        code |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f')
        code |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        code |= static_cast<unsigned>(c - 'A' + 10);
      else
        return false;
    }
    return true;
  }

  // After "\\u": the code point, joined with a low surrogate that follows.
  bool UnicodeEscape(std::string& out) {
    unsigned code = 0;
    if (!Hex4(code)) return false;
    if (code >= 0xD800 && code < 0xDC00 && text_.substr(at_, 2) == "\\u") {
      const std::size_t mark = at_;
      at_ += 2;
      unsigned low = 0;
      if (Hex4(low) && low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        return true;
      }
      at_ = mark;
    }
    // A lone U+DC80..U+DCFF stands for the byte it escaped. Any other
    // lone surrogate has no UTF-8 form: the text is not one of ours.
    if (code >= 0xDC80 && code <= 0xDCFF) {
      out += static_cast<char>(code - 0xDC00);
    } else if (code >= 0xD800 && code < 0xE000) {
      return false;
    } else {
      AppendUtf8(out, code);
    }
    return true;
  }

  // After a backslash: what the escape stands for, appended to `out`.
  bool Escape(std::string& out) {
    if (at_ >= text_.size()) return false;
    const char escape = text_[at_++];
    switch (escape) {
      case '"':
        out += '"';
        return true;
      case '\\':
        out += '\\';
        return true;
      case '/':
        out += '/';
        return true;
      case 'b':
        out += '\b';
        return true;
      case 'f':
        out += '\f';
        return true;
      case 'n':
        out += '\n';
        return true;
      case 'r':
        out += '\r';
        return true;
      case 't':
        out += '\t';
        return true;
      case 'u':
        return UnicodeEscape(out);
      default:
        return false;
    }
  }

  // Into `*target`, or only checked where `target` is nullptr.
  bool String(std::string* target) {
    ++at_;  // the opening quote
    std::string& out = target != nullptr ? *target : scratch_;
    out.clear();
    while (at_ < text_.size()) {
      // A run of plain bytes at once.
      std::size_t end = at_;
      while (end < text_.size() && Plain[static_cast<unsigned char>(text_[end])]) ++end;
      if (target != nullptr) out.append(text_.data() + at_, end - at_);
      at_ = end;
      if (at_ >= text_.size()) return false;
      const char c = text_[at_++];
      if (c == '"') return true;
      if (c != '\\') return false;  // a control character
      if (!Escape(out)) return false;
    }
    return false;
  }

  bool Array(JsonValue* value, int depth) {
    ++at_;
    if (value != nullptr) value->Type = JsonValue::Kind::Array;
    if (Take(']')) return true;
    do {
      JsonValue* item = nullptr;
      if (value != nullptr) item = &value->Items.emplace_back();
      if (!Value(item, depth + 1)) return false;
    } while (Take(','));
    return Take(']');
  }

  bool Object(JsonValue* value, int depth) {
    ++at_;
    if (value != nullptr) {
      value->Type = JsonValue::Kind::Object;
      value->Members.reserve(8);
    }
    if (Take('}')) return true;
    do {
      Blanks();
      if (at_ >= text_.size() || text_[at_] != '"') return false;
      std::string name;
      if (!String(value != nullptr ? &name : nullptr) || !Take(':')) return false;
      JsonValue* member = nullptr;
      if (value != nullptr && (depth > 0 || keep_ == nullptr ||
                               std::find(keep_->begin(), keep_->end(), name) != keep_->end())) {
        // A name given twice would mean one thing here and another to a
        // reader that takes the last one.
        if (value->Find(name) != nullptr) return false;
        value->Members.push_back(JsonMember{std::move(name), JsonValue{}});
        member = &value->Members.back().Value;
      }
      if (!Value(member, depth + 1)) return false;
    } while (Take(','));
    return Take('}');
  }

  std::string_view text_;
  const std::vector<std::string_view>* keep_;
  std::size_t at_ = 0;
  std::string scratch_;  // what a check reads and keeps nowhere
};

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text) {
  JsonValue value;
  if (!Reader(text, nullptr).Document(value)) return std::nullopt;
  return value;
}

std::optional<JsonValue> ParseJson(std::string_view text,
                                   const std::vector<std::string_view>& keep) {
  JsonValue value;
  if (!Reader(text, &keep).Document(value)) return std::nullopt;
  return value;
}

}  // namespace tarnwell
