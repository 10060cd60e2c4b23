#include "addin/ribbon_images.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/text_conversion.h"

namespace orra {
namespace {

struct ControlIcon {
  std::string_view id;  // ASCII, so its GBK bytes are its characters
  IconNumber icon;
};

// In lookup order; several report controls share one picture.
constexpr std::array kControlIcons{
    ControlIcon{"id_cross_report", 1018},
    ControlIcon{"id_time_serial_report", 1023},
    ControlIcon{"id_industry_cross_report", 1018},
    ControlIcon{"id_industry_time_serial_report", 1023},
    ControlIcon{"id_index_cross_report", 1018},
    ControlIcon{"id_index_time_serial_report", 1023},
    ControlIcon{"id_index_industry_cross_report", 1018},
    ControlIcon{"id_index_industry_time_serial_report", 1023},
    ControlIcon{"id_stock_report", 1020},
    ControlIcon{"id_industry_report", 1025},
    ControlIcon{"id_index_report", 1027},
    ControlIcon{"id_index_industry_report", 1029},
    ControlIcon{"id_code_insert", 1031},
    ControlIcon{"id_insert_stock", 1033},
    ControlIcon{"id_industry_code", 1035},
    ControlIcon{"id_index_code", 1045},
    ControlIcon{"id_date_insert", 1041},
    ControlIcon{"id_private_product", 1050},
    ControlIcon{"id_private_drop", 1054},
    ControlIcon{"id_other_insert", 1039},
    ControlIcon{"id_organization_insert", 1037},
    ControlIcon{"id_researcher_insert", 1043},
    ControlIcon{"id_format_refresh", 1007},
    ControlIcon{"id_data_refresh", 1011},
    ControlIcon{"id_help", 1014},
    ControlIcon{"id_insert_function", 1016},
    ControlIcon{"id_login", 1004},
    ControlIcon{"id_exit", 1005},
    ControlIcon{"id_private_product_report", 1048},
    ControlIcon{"id_product_cross_report", 1018},
    ControlIcon{"id_product_time_serial_report", 1023},
    ControlIcon{"id_private_drop_report", 1052},
    ControlIcon{"id_drop_cross_report", 1052},
    ControlIcon{"id_drop_time_serial_report", 1023},
    ControlIcon{"id_private_manager_report", 1058},
    ControlIcon{"id_manager_cross_report", 1018},
    ControlIcon{"id_manager_time_serial_report", 1023},
    ControlIcon{"id_private_manager", 1056},
};

struct NamedIcon {
  std::u16string_view name;
  // Leading bytes compared. A count past the name's GBK length takes in its terminating zero,
  // so that name matches only whole; a shorter one lets longer names begin with it.
  size_t compared;
  IconNumber icon;
};

constexpr std::array kNamedIcons{
    NamedIcon{u"截面报表", 8, 1018},     NamedIcon{u"时间序列报表", 8, 1023},
    NamedIcon{u"个股报表向导", 7, 1020}, NamedIcon{u"行业报表向导", 7, 1025},
    NamedIcon{u"插入代码", 7, 1033},     NamedIcon{u"帮助文档", 5, 1014},
    NamedIcon{u"函数插入", 7, 1016},     NamedIcon{u"登录", 6, 1005},
};

// What a C caller would have read: the text up to its first zero.
std::string GbkText(std::u16string_view text) {
  std::string gbk = ToNarrowString(text);
  gbk.resize(std::min(gbk.size(), gbk.find('\0')));
  return gbk;
}

// Byte i of a zero-terminated text held without its terminator.
unsigned char ByteAt(std::string_view text, size_t i) {
  return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

// strncmp's equality over `count` bytes, never reading past either text's terminator.
bool LeadingBytesEqual(std::string_view a, std::string_view b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const unsigned char x = ByteAt(a, i);
    if (x != ByteAt(b, i)) return false;
    if (x == 0) return true;
  }
  return true;
}

}  // namespace

std::optional<IconNumber> IconForControl(std::u16string_view control_id) {
  const std::string id = GbkText(control_id);
  for (const ControlIcon& entry : kControlIcons) {
    if (entry.id == id) return entry.icon;
  }
  return std::nullopt;
}

std::optional<IconNumber> IconForImageName(std::u16string_view image_name) {
  const std::string name = GbkText(image_name);
  for (const NamedIcon& entry : kNamedIcons) {
    if (LeadingBytesEqual(name, ToNarrowString(entry.name), entry.compared)) return entry.icon;
  }
  return std::nullopt;
}

std::vector<IconNumber> RibbonIconNumbers() {
  std::vector<IconNumber> numbers;
  for (const ControlIcon& entry : kControlIcons) numbers.push_back(entry.icon);
  for (const NamedIcon& entry : kNamedIcons) numbers.push_back(entry.icon);
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

}  // namespace orra
