#!/usr/bin/env python3
"""Regenerates sample.json, the bundled description of a terminal's data directory:
nested indicator folders, parameters of the three control types, a few thousand securities,
two classification schemes plus the navigation categories, and a few stock blocks.
Deterministic: the same script always writes the same file.
    tools/orra-terminal/make-sample.py > tools/orra-terminal/sample.json
"""
import json
import random

rng = random.Random(20240315)

PLACES = "浦东 深圳 上海 北京 广州 杭州 南京 武汉 成都 重庆 天津 西安 厦门 青岛 苏州 宁波 长沙 合肥 福州 大连".split()
TRADES = "银行 证券 保险 地产 钢铁 煤业 电力 医药 科技 电子 汽车 化工 建材 食品 酒业 传媒 航空 港口 能源 通信".split()
SUFFIX = "股份 集团 控股 发展 实业".split()

def company():
    return rng.choice(PLACES) + rng.choice(TRADES) + rng.choice(SUFFIX)

securities = []
for n in range(1800):
    securities.append([f"{600000 + n * 3:06d}.sh", company()])
for n in range(1700):
    securities.append([f"{1 + n * 2:06d}.sz", company()])
for n in range(300):
    securities.append([f"{300001 + n:06d}.sz", company()])
codes = [s[0] for s in securities]

# Parameters: dates with relative-date codes, choice lists, free texts, some in folders.
parameters = [
    {"name": "tradedate", "control": "date", "caption": "交易日期", "default": "-1"},
    {"name": "startdate", "control": "date", "caption": "起始日期", "default": "-112"},
    {"name": "enddate", "control": "date", "caption": "截止日期", "default": ""},
    {"name": "reportdate", "control": "date", "caption": "报告期", "default": "20231231"},
    {"name": "lastweek", "control": "date", "caption": "上周", "default": "-1005"},
    {"name": "lastmonth", "control": "date", "caption": "一月前", "default": "-11"},
    {"name": "nextmonth", "control": "date", "caption": "一月后", "default": "11"},
    {"name": "tendays", "control": "date", "caption": "十日前", "default": "-1010"},
    {"name": "priceadj", "control": "choice", "caption": "复权方式",
     "choices": [["不复权", "0"], ["前复权", "1"], ["后复权", "2"]]},
    {"name": "currency", "control": "choice", "caption": "币种",
     "choices": [["人民币", "CNY"], ["美元", "USD"], ["港币", "HKD"]]},
    {"name": "period", "control": "choice", "caption": "周期", "choices_in_field5": True,
     "choices": [["日", "D"], ["周", "W"], ["月", "M"], ["年", "Y"]]},
    {"name": "unit", "control": "text", "caption": "单位", "default": "1"},
    {"name": "rank", "control": "text", "caption": "排名", "default": "10"},
    {"folder": "财务参数", "children": [
        {"name": "reporttype", "control": "choice", "caption": "报表类型",
         "choices": [["合并报表", "1"], ["母公司报表", "2"]]},
        {"name": "fiscalyear", "control": "text", "caption": "会计年度", "default": "2023"},
        {"name": "quarter", "control": "choice", "caption": "季度",
         "choices": [["一季报", "1"], ["中报", "2"], ["三季报", "3"], ["年报", "4"]]},
    ]},
]

QUOTE = ["收盘价", "开盘价", "最高价", "最低价", "成交量", "成交额", "涨跌幅", "换手率", "振幅", "均价"]
VALUE = ["市盈率", "市净率", "市销率", "总市值", "流通市值", "股息率"]
FINANCE = ["营业收入", "净利润", "总资产", "总负债", "经营现金流", "每股收益", "净资产收益率", "毛利率"]
BASIC = ["证券简称", "上市日期", "所属行业", "注册地", "实际控制人"]

def leaf(name, service, kind, params, decimals=2, alignment=2, date_style=0):
    return {"name": name, "value_kind": kind, "decimals": decimals, "alignment": alignment,
            "date_style": date_style, "params": params, "service": service}

indicators = []
quote_folders = []
for period, code in [("日行情", "d"), ("周行情", "w"), ("月行情", "m"), ("季行情", "q"), ("年行情", "y")]:
    children = [leaf(f"{name}({period})", f"stock.quote.{code}{i}", 2, ["tradedate", "priceadj"])
                for i, name in enumerate(QUOTE)]
    children.append({"folder": "区间统计", "children": [
        leaf(f"区间{name}({period})", f"stock.range.{code}{i}", 2, ["startdate", "enddate", "priceadj"])
        for i, name in enumerate(QUOTE)]})
    quote_folders.append({"folder": period, "children": children})
indicators.append({"folder": "行情数据", "children": quote_folders})
indicators.append({"folder": "估值指标", "children": [
    leaf(name, f"stock.value.{i}", 2, ["tradedate", "currency"]) for i, name in enumerate(VALUE)]})
finance = []
for statement in ["利润表", "资产负债表", "现金流量表"]:
    items = []
    for i, name in enumerate(FINANCE):
        for j, sub in enumerate(["", "(同比)", "(环比)", "(TTM)", "(单季)", "(累计)"]):
            items.append(leaf(f"{statement}{name}{sub}", f"stock.fin.{statement}.{i}.{j}", 2,
                              ["reportdate", "reporttype", "unit"], decimals=4))
    finance.append({"folder": statement, "children": items})
indicators.append({"folder": "财务数据", "children": finance})
indicators.append({"folder": "基本资料", "children": [
    leaf("证券简称", "stock.info.name", 0, [], decimals=0, alignment=0),
    leaf("上市日期", "stock.info.listdate", 1, [], decimals=0, alignment=1, date_style=1),
    # One date indicator for each further date style, so a sheet shows every one of them.
    leaf("成立日期", "stock.info.founded", 1, [], decimals=0, alignment=1, date_style=0),
    leaf("首发公告日", "stock.info.ipodate", 1, [], decimals=0, alignment=1, date_style=2),
    leaf("最近报告期", "stock.info.lastreport", 1, [], decimals=0, alignment=1, date_style=3),
    leaf("股权登记日", "stock.info.recorddate", 1, [], decimals=0, alignment=1, date_style=4),
    leaf("摘牌日期", "stock.info.delistdate", 1, [], decimals=0, alignment=1, date_style=5),
    leaf("所属行业", "stock.info.industry", 0, ["fiscalyear"], decimals=0, alignment=0),
    leaf("注册地", "stock.info.place", 0, [], decimals=0, alignment=0),
    leaf("实际控制人", "stock.info.owner", 0, [], decimals=0, alignment=0),
]})
indicators.append({"folder": "排名", "children": [
    leaf(f"{name}排名", f"stock.rank.{i}", 2, ["tradedate", "rank"], decimals=0) for i, name in enumerate(QUOTE)]})
indicators.append(leaf("close", "stock.quote.close", 2, ["tradedate", "priceadj"]))
indicators.append(leaf("name", "stock.info.name", 0, [], decimals=0, alignment=0))

def members(count):
    return sorted(rng.sample(codes, count))

industry = [{"code": f"80{n:04d}", "name": trade, "members": members(20)} for n, trade in enumerate(TRADES)]
regions = [{"code": f"R{n:03d}", "name": place + "板块", "members": members(15)} for n, place in enumerate(PLACES)]
market_categories = [
    {"code": "A", "name": "沪深A股", "children": [
        {"code": "SHA", "name": "上证A股", "members": sorted(c for c in codes if c.endswith(".sh"))},
        {"code": "SZA", "name": "深证A股", "members": sorted(c for c in codes if c.endswith(".sz") and not c.startswith("3"))},
        {"code": "CYB", "name": "创业板", "members": sorted(c for c in codes if c.startswith("3"))},
    ]},
    {"code": "HY", "name": "申万行业", "children": industry},
    {"code": "DY", "name": "地域板块", "children": regions},
]
left_out = [{"code": f"X{n}", "name": name, "children": [{"code": f"X{n}1", "name": name + "一级", "members": members(5)}]}
            for n, name in enumerate(["巨潮行业分类", "指数导航", "商品期货", "外汇导航", "资管导航"])]
second_scheme = [{"code": "ZJ", "name": "证监会行业", "children": [
    {"code": f"ZJ{n:02d}", "name": "证监会" + trade, "members": members(10)} for n, trade in enumerate(TRADES[:10])]}]

sample = {
    "indicators": {"revision": 12, "tree": indicators},
    "parameters": {"revision": 7, "tree": parameters},
    "securities": securities,
    "market": {"kind": 0, "schemes": [
        {"scheme": 1, "categories": market_categories},
        {"scheme": 2, "categories": second_scheme},
        {"scheme": 9, "categories": left_out},
    ]},
    "self_blocks": [
        {"group": "市场导航", "blocks": [
            {"name": "自选股一", "stocks": [["600000.sh", "浦发银行", "银行"], "000001.sz", ["600036.sh", "招商银行", ""]]},
            {"name": "银行股", "stocks": [{"code": "601398.sh", "name": "工商银行", "info": "大行"},
                                          ["601288.sh", "农业银行", "大行"]]},
            {"name": "观察", "stocks": [codes[5], codes[1900], codes[3600]]},
        ]},
        {"group": "我的板块", "blocks": [{"name": "长线", "stocks": [codes[10], codes[20]]}]},
    ],
}
print(json.dumps(sample, ensure_ascii=False, indent=1))
