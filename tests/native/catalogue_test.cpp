// Catalogue lookups. This file is compiled with -fexec-charset=GBK like the
// program, so the Chinese literals below are compared as code page 936 bytes.
#include "base/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <thread>
#include <iterator>
#include <utility>

#include "base/codes.h"

namespace {

struct Row {
  uint32_t first;
  uint32_t last;
  const char* text;
};

// The expected tables, kept independently of the implementation's.
const Row kCoreRows[] = {
    {0x50000205, 0x50000205, "网络通讯产生错误"},
    {0x50000207, 0x50000207, "软件 WINDOWS 严重错误"},
    {0x50000A09, 0x50000A09, "本软件已经做重要更新，您必须进行升级才能正常使用本软件。"},
    {0x50000A0B, 0x50000A0B, "Zephal 正在进行升级"},
    {0x50000A0C, 0x50000A0C, "Zephal 已经被其他程序控制"},
    {0x50020204, 0x50020205, "Zephal 网卡错误，请重新安装本软件。"},
    {0x50020207, 0x5002020C, "Zephal 网卡错误，请重新安装本软件。"},
    {0x50020211, 0x50020211, "尊敬的用户，为保障加速效果，\n已对您的系统网络环境进行了优化，\n请重启系统后生效。"},
    {0x50020A13, 0x50020A13, "Zephal 网卡无法启用。请从控制面板里面打开网络和连接中心，然后重试。"},
    {0x50030201, 0x50030201, "软件 WINDOWS 严重错误"},
    {0x50050202, 0x50050204, "网络通讯产生错误"},
    {0x50060201, 0x50060201, "网络通讯产生错误"},
    {0x50090202, 0x50090202, "网络通讯产生错误"},
    {0x500B0201, 0x500B0203, "网络通讯产生错误"},
    {0x500B0205, 0x500B0205, "网络通讯产生错误"},
    {0x500B0207, 0x500B0208, "网络通讯产生错误"},
    {0x500C0202, 0x500C0202, "网络通讯产生错误"},
    {0x500D0203, 0x500D0203, "网络通讯产生错误"},
    {0x500E0201, 0x500E0202, "软件 WINDOWS 严重错误"},
    {0x500F0201, 0x500F0201, "网络通讯产生错误"},
    {0x500F0208, 0x500F0208, "无法找到默认网关"},
    {0x50100205, 0x50100205, "网络通讯产生错误"},
    {0x50100206, 0x50100206, "软件运行时打开组件错误"},
    {0x50100207, 0x50100207, "网络通讯产生错误"},
    {0x5010020B, 0x5010020B, "网络通讯产生错误"},
    {0x50100A04, 0x50100A04, "安全数字证书认证异常，请再次尝试连接"},
    {0x50110A01, 0x50110A01,
     "您占用的带宽超过了限值而导致加速软件中止，\n"
     "请您注意带宽的占用情况，或联系客服人员购买更高带宽。"},
    {0x50120201, 0x50120201,
     "您目前使用的互联网服务商，不在我们的加速范围内，\n"
     "我们会不断扩大加速范围。若您希望我们尽快帮助您覆盖，\n"
     "请登录我们的网站进行登记或向在线客服人员反馈"},
    {0x50120205, 0x50120205, "网络连接失败"},
    {0x50120207, 0x50120207, "DNS错误，无法解析域名"},
    {0x50130201, 0x50130201, "认证服务繁忙，请稍等1、2分钟再试"},
    {0x50130202, 0x50130202,
     "您的帐户已经过期，已成为免费用户，请您续费使用，\n"
     "或者您也可以使用游戏加速来免费加速一部份游戏"},
    {0x50130203, 0x50130203, "您的账户处于在线状态\n若您刚才异常断线，请等待几分钟再尝试连接"},
    {0x50130205, 0x50130205, "您的账户依然处于冻结中，请您登录网站解除冻结。"},
    {0x50130207, 0x50130207,
     "尊敬的用户，\n"
     "您目前是免费用户，\n"
     "仅可使用网游加速来支持一部份游戏，\n"
     "如需更多功能请充值"},
    {0x50130208, 0x5013020A, "用户名密码错误"},
    {0x50140204, 0x50140204, "无法设定 IP 地址"},
    {0x50150201, 0x50150201, "您的操作系统无法运行本软件"},
    {0x50150202, 0x50150202, "软件需要管理员权限运行，因为网络加速需要接管系统网络做优化处理。"},
    {0x50150203, 0x50150203, "您使用的 Vista 系统，需要安装 SP1 补丁包\n才能获得正常的加速效果。"},
    {0x50150205, 0x50150205, "您的操作系统无法运行本软件"},
    {0x50150206, 0x50150206, "本软件需要系统中 DHCP Client 服务运行"},
    {0x50150207, 0x50150207, "您电脑的系统时间不正常，这将导致软件无法正常连接。"},
    {0x501A0A00, 0x501A0A00, "Zephal服务没有安装"},
    {0x501A0A01, 0x501A0A01, "Zephal服务没有启动"},
    {0x60000203, 0x60000204, "软件 WINDOWS 严重错误"},
    {0x60010201, 0x60010205, "软件 WINDOWS 严重错误"},
    {0x60030204, 0x60030204, "软件 WINDOWS 严重错误"},
    {0x60030206, 0x60030206, "软件 WINDOWS 严重错误"},
    {0x60030208, 0x60030208, "软件 WINDOWS 严重错误"},
    {0x60040202, 0x60040202, "网络通讯产生错误"},
};

const Row kReportRows[] = {
    {0x12020, 0x12020, "软件 WINDOWS 严重错误"},
    {0x32001, 0x32001, "您输入了太多字符，最多只能输入 20 个字符"},
    {0x52020, 0x52020, "软件 WINDOWS 严重错误"},
    {0x82050, 0x82050, "用户名密码错误"},
    {0x112003, 0x112003,
     "您正在使用免费网游加速，请点击查阅支持免费加速的游戏列表。\n"
     "如果您玩的游戏不在免费列表中，请升级为VIP或白金VIP。"},
    {0x122003, 0x122003,
     "非常感谢您使用我们的付费服务，\n"
     "您的付费服务时间已经不足 1 小时，\n"
     "为了不影响您的使用，请您及时续费。"},
    {0x132003, 0x132003,
     "非常感谢您使用我们的付费服务，\n"
     "检测到您的付费服务时间将会在几天内过期，\n"
     "为了不影响您的使用，请您及时续费。"},
    {0x142003, 0x142003, "您的账户正在冻结中，请登录网站解除冻结\n您现在连接的是免费游戏加速状态。"},
    {0x152003, 0x152003, "您的付费服务已经过期，现在是免费用户\n免费用户支持加速的游戏数量有限，具体请查询游戏支持列表"},
    {0x162001, 0x162001,
     "Lumora Zephal 已经在这台电脑上为另一个用户运行。\n"
     "一台电脑同时只能运行一个 Lumora Zephal，请该用户先退出它后再启动。"},
};

template <size_t N>
const char* Expected(const Row (&rows)[N], uint32_t code) {
  for (const Row& row : rows) {
    if (code >= row.first && code <= row.last) return row.text;
  }
  return nullptr;
}

std::string Fallback(uint32_t code) {
  char text[64];
  std::snprintf(text, sizeof text, "未知错误 (#%x)", static_cast<unsigned>(code));
  return text;
}

std::string Hex(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", *p);
    out += byte;
  }
  return out;
}

// Checks one lookup at the edges of every expected row: first, last, and the
// codes just outside, which must belong to a neighbouring row or fall back.
template <size_t N>
void CheckEdges(const char* (*lookup)(uint32_t), const Row (&rows)[N]) {
  for (const Row& row : rows) {
    ASSERT_NE(row.text, nullptr);
    ASSERT_NE(row.text[0], '\0');
    const uint32_t samples[] = {row.first - 1, row.first, row.first + (row.last - row.first) / 2,
                                row.last, row.last + 1};
    for (uint32_t code : samples) {
      SCOPED_TRACE(testing::Message() << std::hex << "code 0x" << code);
      const char* want = Expected(rows, code);
      const char* got = lookup(code);
      ASSERT_NE(got, nullptr);
      EXPECT_NE(got[0], '\0');
      if (want) {
        EXPECT_STREQ(got, want);
      } else {
        EXPECT_EQ(std::string(got), Fallback(code));
      }
    }
  }
}

// The expected rows themselves must be ordered and disjoint, or the edge
// samples above would prove nothing.
template <size_t N>
void CheckDisjoint(const Row (&rows)[N]) {
  for (size_t i = 0; i < N; ++i) {
    EXPECT_LE(rows[i].first, rows[i].last) << i;
    if (i > 0) {
      EXPECT_LT(rows[i - 1].last, rows[i].first) << i;
    }
  }
}

}  // namespace

TEST(CoreTextTable, EveryRowAtItsEdges) {
  CheckDisjoint(kCoreRows);
  CheckEdges(CoreText, kCoreRows);
}

TEST(ReportTextTable, EveryRowAtItsEdges) {
  CheckDisjoint(kReportRows);
  CheckEdges(ReportText, kReportRows);
}

struct CodeCase {
  uint32_t code;
  const char* text;  // nullptr: the fallback text of the code
};

void PrintTo(const CodeCase& c, std::ostream* os) { *os << std::hex << "0x" << c.code; }

class CoreTextCase : public testing::TestWithParam<CodeCase> {};

TEST_P(CoreTextCase, Text) {
  const CodeCase& c = GetParam();
  if (c.text) {
    EXPECT_STREQ(CoreText(c.code), c.text);
  } else {
    EXPECT_EQ(std::string(CoreText(c.code)), Fallback(c.code));
  }
}

// The two network-adapter ranges leave a hole at 0x50020206.
INSTANTIATE_TEST_SUITE_P(
    AdapterRanges, CoreTextCase,
    testing::Values(CodeCase{0x50020203, nullptr},
                    CodeCase{0x50020204, "Zephal 网卡错误，请重新安装本软件。"},
                    CodeCase{0x50020205, "Zephal 网卡错误，请重新安装本软件。"},
                    CodeCase{0x50020206, nullptr},
                    CodeCase{0x50020207, "Zephal 网卡错误，请重新安装本软件。"},
                    CodeCase{0x5002020C, "Zephal 网卡错误，请重新安装本软件。"},
                    CodeCase{0x5002020D, nullptr}));

// Whole-code match: neighbours that differ only in masked-looking bits miss.
INSTANTIATE_TEST_SUITE_P(
    NoMasking, CoreTextCase,
    testing::Values(CodeCase{0x50000205, "网络通讯产生错误"},
                    CodeCase{0x50000005, nullptr},
                    CodeCase{0x40000205, nullptr},
                    CodeCase{0x50000204, nullptr},
                    CodeCase{0x70000205, nullptr},
                    CodeCase{0x00000205, nullptr}));

TEST(CoreText, ServiceNotInstalledHasNoBlank) {
  EXPECT_STREQ(CoreText(0x501A0A00), "Zephal服务没有安装");
  EXPECT_STRNE(CoreText(0x501A0A00), "Zephal 服务没有安装");
  EXPECT_STREQ(CoreText(0x501A0A01), "Zephal服务没有启动");
}

TEST(CoreText, LineBreaksAreSingleLineFeeds) {
  const std::string text = CoreText(0x50020211);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(CoreText, KnownCodesReturnConstantTexts) {
  const char* first = CoreText(0x50000205);
  CoreText(0x50020206);  // a miss must not disturb a known text
  EXPECT_EQ(CoreText(0x50000205), first);
  EXPECT_STREQ(first, "网络通讯产生错误");
}

TEST(ReportText, SameTextForBothFatalWindowsCodes) {
  EXPECT_STREQ(ReportText(0x12020), ReportText(0x52020));
  EXPECT_STREQ(ReportText(0x12020), "软件 WINDOWS 严重错误");
}

TEST(ReportText, NoMasking) {
  EXPECT_EQ(std::string(ReportText(0x12021)), Fallback(0x12021));
  EXPECT_EQ(std::string(ReportText(0x10020)), Fallback(0x10020));  // without the box bit
  EXPECT_EQ(std::string(ReportText(0x2001)), Fallback(0x2001));
  // The core's codes are not report codes.
  EXPECT_EQ(std::string(ReportText(0x50000205)), Fallback(0x50000205));
}

TEST(Fallback, Texts) {
  EXPECT_STREQ(ReportText(1), "未知错误 (#1)");
  EXPECT_STREQ(CoreText(0x50020206), "未知错误 (#50020206)");
  EXPECT_STREQ(CoreText(0), "未知错误 (#0)");
  EXPECT_STREQ(CoreText(0xFFFFFFFF), "未知错误 (#ffffffff)");  // lower case, all digits
  EXPECT_STREQ(ReportText(0xABC), "未知错误 (#abc)");
  EXPECT_STREQ(CoreText(0x0000F00D), "未知错误 (#f00d)");  // no leading zeros
}

TEST(Fallback, EachLookupHasItsOwnBuffer) {
  const char* core = CoreText(0x1234);
  const char* report = ReportText(0x5678);
  EXPECT_NE(core, report);
  EXPECT_STREQ(core, "未知错误 (#1234)");
  EXPECT_STREQ(report, "未知错误 (#5678)");
}

TEST(Fallback, ThreadsKeepTheirOwnText) {
  constexpr int kRounds = 20000;
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  struct Result {
    int wrong = 0;
    const void* coreBuffer = nullptr;
    const void* reportBuffer = nullptr;
  };
  Result results[2];
  const uint32_t codes[2] = {0x7001, 0x7002};

  auto work = [&](int index) {
    const uint32_t code = codes[index];
    const std::string want = Fallback(code);
    ++ready;
    while (!go) std::this_thread::yield();
    for (int i = 0; i < kRounds; ++i) {
      const char* core = CoreText(code);
      const char* report = ReportText(code);
      std::this_thread::yield();  // give the other thread a chance to write
      if (want != core || want != report) ++results[index].wrong;
      results[index].coreBuffer = core;
      results[index].reportBuffer = report;
    }
  };
  std::thread a(work, 0);
  std::thread b(work, 1);
  while (ready < 2) std::this_thread::yield();
  go = true;
  a.join();
  b.join();

  EXPECT_EQ(results[0].wrong, 0);
  EXPECT_EQ(results[1].wrong, 0);
  EXPECT_NE(results[0].coreBuffer, results[1].coreBuffer);
  EXPECT_NE(results[0].reportBuffer, results[1].reportBuffer);
}

TEST(ExecCharset, TextsAreGbkBytes) {
  // "软件 WINDOWS 严重错误" in code page 936.
  EXPECT_EQ(Hex(CoreText(0x50000207)), Hex("\xC8\xED\xBC\xFE"
                                           " WINDOWS "
                                           "\xD1\xCF\xD6\xD8\xB4\xED\xCE\xF3"));
  // The fallback format string goes through snprintf and stays GBK too.
  EXPECT_EQ(Hex(ReportText(1)), Hex("\xCE\xB4\xD6\xAA\xB4\xED\xCE\xF3"
                                    " (#1)"));
}

// What the table of core codes must hold whatever its rows are: one row per
// code, a text for every box the core asks for and for every failed start,
// and each upgrade demand and conflict list led to its handler.
TEST(CoreCodeTable, EveryCodeHasOneRowAndEveryBoxItsText) {
  const CoreCodeTable table = CoreCodes();
  ASSERT_GT(table.count, 0u);
  for (size_t i = 0; i < table.count; ++i) {
    const CoreCodeRow& row = table.rows[i];
    SCOPED_TRACE(testing::Message() << std::hex << "row 0x" << row.first);
    ASSERT_LE(row.first, row.last);
    ASSERT_LT(row.last - row.first, 64u) << "a range spans neighbours, not a pattern of bits";
    if (i > 0) {
      EXPECT_LT(table.rows[i - 1].last, row.first) << "out of order or overlapping";
    }
    EXPECT_TRUE(row.text || row.initText || row.then != CoreFollowUp::kNothing || row.page)
        << "a row that does nothing";
    if (row.initText) {
      EXPECT_NE(row.initText[0], '\0');
      EXPECT_STREQ(InitFailureText(row.first), row.initText);
    }
    for (uint32_t code = row.first;; ++code) {
      EXPECT_EQ(FindCoreCode(code), &row);
      if (code & kCoreShowBox) {
        EXPECT_TRUE(row.text && row.text[0]) << std::hex << "0x" << code << " boxes the fallback";
      }
      if (code == row.last) break;
    }
  }
}

TEST(CoreCodeTable, UpgradeDemandsAndConflictListsReachTheirHandlers) {
  const std::pair<uint32_t, CoreFollowUp> kActed[] = {
      {kCoreUpgradeRequired, CoreFollowUp::kUpgrade},
      {kCoreUpgradeDemanded, CoreFollowUp::kUpgrade},
      {kCoreImportantUpdate, CoreFollowUp::kUpgrade},
      {kCoreClosableConflicts, CoreFollowUp::kClosableConflicts},
      {kCoreUnclosableConflicts, CoreFollowUp::kUnclosableConflicts},
  };
  for (const auto& [code, then] : kActed) {
    const CoreCodeRow* row = FindCoreCode(code);
    ASSERT_NE(row, nullptr) << std::hex << code;
    EXPECT_EQ(row->then, then) << std::hex << code;
  }
  // Nothing else is followed by a handler: a range grown over its neighbour would be.
  size_t followed = 0;
  const CoreCodeTable table = CoreCodes();
  for (size_t i = 0; i < table.count; ++i)
    if (table.rows[i].then != CoreFollowUp::kNothing) followed += table.rows[i].last - table.rows[i].first + 1;
  EXPECT_EQ(followed, std::size(kActed));
  EXPECT_STREQ(InitFailureText(7), "Zephal 初始化失败");
}
