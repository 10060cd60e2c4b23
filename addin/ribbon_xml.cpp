#include "addin/ribbon_xml.h"

#include <initializer_list>
#include <string_view>

namespace orra {
namespace {

struct Attribute {
  std::u16string_view name;
  std::u16string_view value;
  // `name = "value"` rather than `name="value"`.
  bool spaced = false;
};

// Writes elements with their indentation; the depth follows the open elements.
class RibbonXmlWriter {
 public:
  void Open(std::u16string_view element, std::initializer_list<Attribute> attributes) {
    Tag(element, attributes, u">");
    ++depth_;
  }
  void Leaf(std::u16string_view element, std::initializer_list<Attribute> attributes) {
    Tag(element, attributes, u"/>");
  }
  void Close(std::u16string_view element) {
    --depth_;
    text_.append(depth_, u'\t');
    text_ += u"</";
    text_ += element;
    text_ += u'>';
  }
  std::u16string Take() { return std::move(text_); }

 private:
  void Tag(std::u16string_view element, std::initializer_list<Attribute> attributes, std::u16string_view end) {
    text_.append(depth_, u'\t');
    text_ += u'<';
    text_ += element;
    for (const Attribute& a : attributes) {
      text_ += u' ';
      text_ += a.name;
      text_ += a.spaced ? u" = \"" : u"=\"";
      text_ += a.value;
      text_ += u'"';
    }
    text_ += end;
  }

  std::u16string text_;
  size_t depth_ = 0;
};

std::u16string BuildRibbonXml() {
  RibbonXmlWriter xml;
  xml.Open(u"customUI", {{u"xmlns", u"http://schemas.microsoft.com/office/2006/01/customui"},
                         {u"onLoad", u"ribbonLoaded"},
                         {u"loadImage", u"OnGetImage"}});
  xml.Open(u"ribbon", {});
  xml.Open(u"tabs", {});
  xml.Open(u"tab", {{u"id", u"OrraTab"}, {u"label", u"星桥资管"}, {u"insertAfterMso", u"TabAddIns"}});

  xml.Open(u"group", {{u"id", u"group_function"}, {u"label", u"函数"}});
  xml.Leaf(u"button", {{u"id", u"id_insert_function"},
                       {u"label", u"截面函数"},
                       {u"size", u"large", true},
                       {u"getEnabled", u"GetEnabled"},
                       {u"getImage", u"GetImage"},
                       {u"onAction", u"OnClickInsertFunctionEx"}});
  xml.Close(u"group");

  xml.Open(u"group", {{u"id", u"group_navigate"}, {u"label", u"市场"}});
  xml.Leaf(u"button", {{u"id", u"id_insert_stock"},
                       {u"label", u"市场导航"},
                       {u"size", u"large"},
                       {u"getEnabled", u"GetEnabled"},
                       {u"getImage", u"GetImage"},
                       {u"onAction", u"OnClickInsertStock"}});
  xml.Close(u"group");

  xml.Open(u"group", {{u"id", u"group_tools"}, {u"label", u"工具"}});
  xml.Open(u"gallery", {{u"id", u"id_data_refresh"},
                        {u"label", u"刷新"},
                        {u"size", u"large"},
                        {u"getEnabled", u"GetEnabled"},
                        {u"getImage", u"GetImage"}});
  xml.Leaf(u"button", {{u"id", u"id_sheet_refresh"},
                       {u"label", u"刷新当前Sheet"},
                       {u"getImage", u"GetImage"},
                       {u"onAction", u"OnClickDataRefreshEx"}});
  xml.Leaf(u"button", {{u"id", u"id_selected_refresh"},
                       {u"label", u"刷新当前区域"},
                       {u"getImage", u"GetImage"},
                       {u"onAction", u"OnClickFormatRefreshEx"}});
  xml.Leaf(u"button", {{u"id", u"id_all_refresh"},
                       {u"label", u"刷新文件"},
                       {u"getImage", u"GetImage"},
                       {u"onAction", u"OnClickAllRefreshEx"}});
  xml.Close(u"gallery");
  xml.Close(u"group");

  xml.Close(u"tab");
  xml.Close(u"tabs");
  xml.Close(u"ribbon");
  xml.Close(u"customUI");
  return xml.Take();
}

}  // namespace

const std::u16string& RibbonXml() {
  static const std::u16string xml = BuildRibbonXml();
  return xml;
}

}  // namespace orra
