#pragma once
// 100 000 indicator names as a terminal spells them, shared by the search box's benchmarks
// (natively over the model, under Wine over the real windows) so that both time the same names.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orra::bench {

inline constexpr std::size_t kIndicatorNames = 100000;

// Indicator names as a terminal spells them: a scope, a measure, a variant, with the Latin
// abbreviations (ROE, EPS, MACD) that make the display order differ from code-unit order.
inline std::vector<std::u16string> IndicatorNames() {
  static constexpr std::array<std::u16string_view, 40> kScopes = {
      u"", u"日", u"周", u"月", u"季", u"年", u"区间", u"近5日", u"近10日", u"近20日", u"近60日", u"近120日",
      u"近250日", u"上市以来", u"年初至今", u"单季度", u"滚动", u"预测", u"一致预期", u"历史", u"前复权",
      u"后复权", u"行业", u"板块", u"指数", u"个股", u"A股", u"H股", u"港股通", u"基金", u"债券", u"期货",
      u"期权", u"可转债", u"理财", u"宏观", u"公司", u"合并", u"母公司", u"调整后"};
  static constexpr std::array<std::u16string_view, 50> kMeasures = {
      u"收盘价", u"开盘价", u"最高价", u"最低价", u"成交量", u"成交金额", u"换手率", u"涨跌幅", u"振幅",
      u"市盈率", u"市净率", u"市销率", u"每股收益EPS", u"每股净资产", u"净资产收益率ROE", u"总资产收益率ROA",
      u"营业收入", u"营业成本", u"净利润", u"毛利率", u"净利率", u"资产负债率", u"流动比率", u"速动比率",
      u"现金流量", u"经营活动现金流", u"总市值", u"流通市值", u"股息率", u"分红", u"持股比例", u"机构持仓",
      u"融资余额", u"融券余额", u"北向持股", u"均价", u"加权均价", u"成交笔数", u"委比", u"量比", u"波动率",
      u"贝塔系数", u"夏普比率", u"最大回撤", u"MACD", u"KDJ", u"RSI", u"BOLL", u"DMI", u"PE(TTM)"};
  static constexpr std::array<std::u16string_view, 50> kVariants = {
      u"", u"(同比)", u"(环比)", u"增长率", u"变化", u"排名", u"分位数", u"均值", u"中位数", u"最大值",
      u"最小值", u"标准差", u"合计", u"占比", u"(TTM)", u"(LYR)", u"(MRQ)", u"一致预测", u"预测值", u"实际值",
      u"差额", u"累计", u"复合增长率", u"3年平均", u"5年平均", u"(人民币)", u"(美元)", u"(港元)",
      u"(原始币种)", u"排名百分位", u"行业均值", u"行业中位数", u"相对值", u"偏离度", u"Z值", u"变动",
      u"首日", u"末日", u"_最高", u"_最低", u"日均", u"平均", u"加权", u"算术", u"几何", u"修正", u"摊薄",
      u"加权摊薄", u"扣非", u"单位"};
  std::vector<std::u16string> names;
  names.reserve(kIndicatorNames);
  for (std::u16string_view scope : kScopes) {
    for (std::u16string_view measure : kMeasures) {
      for (std::u16string_view variant : kVariants) {
        names.push_back(std::u16string(scope).append(measure).append(variant));
      }
    }
  }
  return names;
}

}  // namespace orra::bench
