#include "tools/xlhost/ribbon_xml.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "common/utf8.h"

namespace orra::xlhost {
namespace {

// Deeper than any ribbon; a bound on the stack of open elements.
constexpr size_t kMaxDepth = 64;

struct Attribute {
  std::string name;
  std::string value;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == ':' || c == '-' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

std::string_view LocalName(std::string_view name) {
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

class Reader {
 public:
  explicit Reader(std::string_view xml) : xml_(xml) {}

  std::optional<RibbonDescription> Read(std::string& error) {
    RibbonDescription description;
    std::vector<std::string> open;
    bool root_seen = false;
    while (position_ < xml_.size()) {
      const size_t tag = xml_.find('<', position_);
      if (tag == std::string_view::npos) break;
      position_ = tag;
      if (Skip("<?", "?>") || Skip("<!--", "-->") || Skip("<![CDATA[", "]]>") || Skip("<!", ">")) {
        if (failed_) return Fail(error, "a declaration or comment is not closed");
        continue;
      }
      if (xml_.substr(position_, 2) == "</") {
        position_ += 2;
        const std::string name = Name();
        SkipSpace();
        if (name.empty() || !Take('>')) return Fail(error, "a closing tag is malformed");
        if (open.empty() || open.back() != name) return Fail(error, "</" + name + "> closes no open element");
        open.pop_back();
        continue;
      }
      ++position_;
      const std::string name = Name();
      if (name.empty()) return Fail(error, "an element has no name");
      if (open.empty() && root_seen) return Fail(error, "a second root element <" + name + ">");
      std::vector<Attribute> attributes;
      bool closed = false;
      while (true) {
        SkipSpace();
        if (Take('>')) break;
        if (xml_.substr(position_, 2) == "/>") {
          position_ += 2;
          closed = true;
          break;
        }
        auto attribute = ReadAttribute(error);
        if (!attribute) return std::nullopt;
        attributes.push_back(std::move(*attribute));
      }
      auto value_of = [&](std::string_view wanted) {
        for (const Attribute& attribute : attributes) {
          if (attribute.name == wanted) return attribute.value;
        }
        return std::string();
      };
      if (!root_seen) {
        root_seen = true;
        if (LocalName(name) != "customUI") return Fail(error, "the root is <" + name + ">, not <customUI>");
        description.on_load = value_of("onLoad");
      } else if (!value_of("id").empty()) {
        description.controls.push_back(RibbonControl{std::string(LocalName(name)), value_of("id"),
                                                     value_of("getImage"), value_of("getEnabled"),
                                                     value_of("onAction")});
      }
      if (!closed) {
        if (open.size() == kMaxDepth) return Fail(error, "elements nest too deep");
        open.push_back(name);
      }
    }
    if (!root_seen) return Fail(error, "there is no element");
    if (!open.empty()) return Fail(error, "<" + open.back() + "> is not closed");
    return description;
  }

 private:
  std::optional<RibbonDescription> Fail(std::string& error, const std::string& what) {
    error = "at byte " + std::to_string(position_) + ": " + what;
    return std::nullopt;
  }

  // Skips a construct from `opening` to `closing`; false when the text here is no such
  // construct. An unclosed one sets failed_.
  bool Skip(std::string_view opening, std::string_view closing) {
    if (xml_.substr(position_, opening.size()) != opening) return false;
    const size_t end = xml_.find(closing, position_ + opening.size());
    if (end == std::string_view::npos) {
      failed_ = true;
      position_ = xml_.size();
    } else {
      position_ = end + closing.size();
    }
    return true;
  }

  void SkipSpace() {
    while (position_ < xml_.size() && IsSpace(xml_[position_])) ++position_;
  }

  bool Take(char c) {
    if (position_ >= xml_.size() || xml_[position_] != c) return false;
    ++position_;
    return true;
  }

  std::string Name() {
    const size_t start = position_;
    while (position_ < xml_.size() && IsNameChar(xml_[position_])) ++position_;
    return std::string(xml_.substr(start, position_ - start));
  }

  std::optional<Attribute> ReadAttribute(std::string& error) {
    Attribute attribute;
    attribute.name = Name();
    SkipSpace();
    if (attribute.name.empty() || !Take('=')) {
      Fail(error, "an attribute is malformed");
      return std::nullopt;
    }
    SkipSpace();
    if (position_ >= xml_.size() || (xml_[position_] != '"' && xml_[position_] != '\'')) {
      Fail(error, "the value of " + attribute.name + " is not quoted");
      return std::nullopt;
    }
    const char quote = xml_[position_++];
    const size_t end = xml_.find(quote, position_);
    if (end == std::string_view::npos) {
      Fail(error, "the value of " + attribute.name + " is not closed");
      return std::nullopt;
    }
    auto value = Decode(xml_.substr(position_, end - position_));
    if (!value) {
      Fail(error, "the value of " + attribute.name + " holds an unknown entity");
      return std::nullopt;
    }
    attribute.value = std::move(*value);
    position_ = end + 1;
    return attribute;
  }

  static std::optional<std::string> Decode(std::string_view raw) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    std::string value;
    size_t i = 0;
    while (i < raw.size()) {
      if (raw[i] != '&') {
        value.push_back(raw[i++]);
        continue;
      }
      const size_t semicolon = raw.find(';', i);
      if (semicolon == std::string_view::npos) return std::nullopt;
      const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
      i = semicolon + 1;
      bool known = false;
      for (const auto& [name, character] : kEntities) {
        if (entity == name) {
          value.push_back(character);
          known = true;
        }
      }
      if (known) continue;
      if (entity.size() < 2 || entity[0] != '#') return std::nullopt;
      const bool hex = entity[1] == 'x';
      const std::string_view digits = entity.substr(hex ? 2 : 1);
      uint32_t code = 0;
      const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
      if (failure != std::errc() || end != digits.data() + digits.size() || code == 0 || code > 0xFFFF ||
          (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
      }
      value += ToUtf8(std::u16string(1, static_cast<char16_t>(code)));
    }
    return value;
  }

  std::string_view xml_;
  size_t position_ = 0;
  bool failed_ = false;
};

}  // namespace

const RibbonControl* RibbonDescription::Find(std::string_view id) const {
  for (const RibbonControl& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

std::optional<RibbonDescription> ParseRibbonXml(std::string_view xml, std::string& error) {
  return Reader(xml).Read(error);
}

}  // namespace orra::xlhost
