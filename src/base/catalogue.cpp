// The core library's codes with their texts and follow-ups, and the texts of
// the client's own report codes. The literals are compiled to code page 936
// (-fexec-charset=GBK) because every text ends up in an ANSI Windows call.
//
// A new core code is one row of kCoreCodes: its box text when it carries
// kCoreShowBox, its start-up text when Zephal_Init can end with it, what
// follows its report, and the string id of a page to open after its box.
#include "base/catalogue.h"

#include <cstdio>

#include "base/codes.h"

namespace {

struct ReportTextRow {
  uint32_t code;
  const char* text;
};

// Texts shared by many rows.
constexpr const char kNetError[] = "网络通讯产生错误";
constexpr const char kWindowsError[] = "软件 WINDOWS 严重错误";
constexpr const char kAdapterError[] = "Zephal 网卡错误，请重新安装本软件。";
constexpr const char kNoSuchOs[] = "您的操作系统无法运行本软件";
constexpr const char kBadPassword[] = "用户名密码错误";
constexpr const char kUpgrading[] = "Zephal 正在进行升级";
constexpr const char kControlledElsewhere[] = "Zephal 已经被其他程序控制";

using F = CoreFollowUp;

// Only what a row says is done: a code in no row is logged, and shows the
// fallback text when it carries kCoreShowBox.
constexpr CoreCodeRow Text(uint32_t first, uint32_t last, const char* text) {
  return {first, last, text, nullptr, F::kNothing, 0};
}

constexpr CoreCodeRow kCoreCodes[] = {
    {kCoreClosableConflicts, kCoreClosableConflicts, nullptr, nullptr, F::kClosableConflicts, 0},
    {kCoreUpgradeRequired, kCoreUpgradeDemanded, nullptr, nullptr, F::kUpgrade, 0},
    Text(0x50000205, 0x50000205, kNetError),
    Text(0x50000207, 0x50000207, kWindowsError),
    {kCoreImportantUpdate, kCoreImportantUpdate, "本软件已经做重要更新，您必须进行升级才能正常使用本软件。", nullptr,
     F::kUpgrade, 0},
    {kCoreUpgrading, kCoreUpgrading, kUpgrading, kUpgrading, F::kNothing, 0},
    {kCoreControlledElsewhere, kCoreControlledElsewhere, kControlledElsewhere, kControlledElsewhere, F::kNothing, 0},
    // 0x50020206 sits between the two adapter ranges and has no text of its own.
    Text(0x50020204, 0x50020205, kAdapterError),
    Text(0x50020207, 0x5002020C, kAdapterError),
    Text(0x50020211, 0x50020211, "尊敬的用户，为保障加速效果，\n已对您的系统网络环境进行了优化，\n请重启系统后生效。"),
    Text(0x50020A13, 0x50020A13, "Zephal 网卡无法启用。请从控制面板里面打开网络和连接中心，然后重试。"),
    Text(0x50030201, 0x50030201, kWindowsError),
    Text(0x50050202, 0x50050204, kNetError),
    Text(0x50060201, 0x50060201, kNetError),
    Text(0x50090202, 0x50090202, kNetError),
    Text(0x500B0201, 0x500B0203, kNetError),
    Text(0x500B0205, 0x500B0205, kNetError),
    Text(0x500B0207, 0x500B0208, kNetError),
    Text(0x500C0202, 0x500C0202, kNetError),
    Text(0x500D0203, 0x500D0203, kNetError),
    Text(0x500E0201, 0x500E0202, kWindowsError),
    Text(0x500F0201, 0x500F0201, kNetError),
    Text(0x500F0208, 0x500F0208, "无法找到默认网关"),
    Text(0x50100205, 0x50100205, kNetError),
    Text(0x50100206, 0x50100206, "软件运行时打开组件错误"),
    Text(0x50100207, 0x50100207, kNetError),
    Text(0x5010020B, 0x5010020B, kNetError),
    Text(0x50100A04, 0x50100A04, "安全数字证书认证异常，请再次尝试连接"),
    Text(0x50110A01, 0x50110A01,
         "您占用的带宽超过了限值而导致加速软件中止，\n"
         "请您注意带宽的占用情况，或联系客服人员购买更高带宽。"),
    Text(0x50120201, 0x50120201,
         "您目前使用的互联网服务商，不在我们的加速范围内，\n"
         "我们会不断扩大加速范围。若您希望我们尽快帮助您覆盖，\n"
         "请登录我们的网站进行登记或向在线客服人员反馈"),
    Text(0x50120205, 0x50120205, "网络连接失败"),
    Text(0x50120207, 0x50120207, "DNS错误，无法解析域名"),
    Text(0x50130201, 0x50130201, "认证服务繁忙，请稍等1、2分钟再试"),
    Text(0x50130202, 0x50130202,
         "您的帐户已经过期，已成为免费用户，请您续费使用，\n"
         "或者您也可以使用游戏加速来免费加速一部份游戏"),
    Text(0x50130203, 0x50130203, "您的账户处于在线状态\n若您刚才异常断线，请等待几分钟再尝试连接"),
    Text(0x50130205, 0x50130205, "您的账户依然处于冻结中，请您登录网站解除冻结。"),
    Text(0x50130207, 0x50130207, "尊敬的用户，\n您目前是免费用户，\n仅可使用网游加速来支持一部份游戏，\n如需更多功能请充值"),
    Text(0x50130208, 0x5013020A, kBadPassword),
    Text(0x50140204, 0x50140204, "无法设定 IP 地址"),
    Text(0x50150201, 0x50150201, kNoSuchOs),
    Text(0x50150202, 0x50150202, "软件需要管理员权限运行，因为网络加速需要接管系统网络做优化处理。"),
    Text(0x50150203, 0x50150203, "您使用的 Vista 系统，需要安装 SP1 补丁包\n才能获得正常的加速效果。"),
    Text(0x50150205, 0x50150205, kNoSuchOs),
    Text(0x50150206, 0x50150206, "本软件需要系统中 DHCP Client 服务运行"),
    Text(0x50150207, 0x50150207, "您电脑的系统时间不正常，这将导致软件无法正常连接。"),
    {kCoreUnclosableConflicts, kCoreUnclosableConflicts, nullptr, nullptr, F::kUnclosableConflicts, 0},
    // The start-up line has a blank after the product word, the box none.
    {kCoreServiceMissing, kCoreServiceMissing, "Zephal服务没有安装", "Zephal 服务没有安装", F::kNothing, 0},
    {kCoreServiceStopped, kCoreServiceStopped, "Zephal服务没有启动", "Zephal 服务没有启动", F::kNothing, 0},
    Text(0x60000203, 0x60000204, kWindowsError),
    Text(0x60010201, 0x60010205, kWindowsError),
    Text(0x60030204, 0x60030204, kWindowsError),
    Text(0x60030206, 0x60030206, kWindowsError),
    Text(0x60030208, 0x60030208, kWindowsError),
    Text(0x60040202, 0x60040202, kNetError),
};

// Some rows have no report of their own yet; they stay so the box text is
// ready when one is added.
constexpr ReportTextRow kReportTexts[] = {
    {kReportStartFailed, kWindowsError},
    {kReportTooManyChars, "您输入了太多字符，最多只能输入 20 个字符"},
    {kReportModuleFailed, kWindowsError},
    {kReportBadPassword, kBadPassword},
    {kReportFreeGames,
     "您正在使用免费网游加速，请点击查阅支持免费加速的游戏列表。\n"
     "如果您玩的游戏不在免费列表中，请升级为VIP或白金VIP。"},
    {kReportEndTime,
     "非常感谢您使用我们的付费服务，\n您的付费服务时间已经不足 1 小时，\n"
     "为了不影响您的使用，请您及时续费。"},
    {kReportEndDate,
     "非常感谢您使用我们的付费服务，\n检测到您的付费服务时间将会在几天内过期，\n"
     "为了不影响您的使用，请您及时续费。"},
    {kReportFrozen,
     "您的账户正在冻结中，请登录网站解除冻结\n您现在连接的是免费游戏加速状态。"},
    {kReportExpired,
     "您的付费服务已经过期，现在是免费用户\n"
     "免费用户支持加速的游戏数量有限，具体请查询游戏支持列表"},
    {kReportOtherUser,
     "Lumora Zephal 已经在这台电脑上为另一个用户运行。\n"
     "一台电脑同时只能运行一个 Lumora Zephal，请该用户先退出它后再启动。"},
};

constexpr size_t kFallbackSize = 128;
constexpr size_t kCoreCodeCount = sizeof kCoreCodes / sizeof kCoreCodes[0];

const char* Fallback(char* buffer, uint32_t code) {
  std::snprintf(buffer, kFallbackSize, "未知错误 (#%x)", static_cast<unsigned>(code));
  return buffer;
}

}  // namespace

CoreCodeTable CoreCodes() { return {kCoreCodes, kCoreCodeCount}; }

const CoreCodeRow* FindCoreCode(uint32_t code) {
  for (const CoreCodeRow& row : kCoreCodes) {
    if (code >= row.first && code <= row.last) return &row;
  }
  return nullptr;
}

const char* CoreText(uint32_t code) {
  const CoreCodeRow* row = FindCoreCode(code);
  if (row && row->text) return row->text;
  // One buffer per thread: the core's threads and ours report at the same time.
  thread_local char buffer[kFallbackSize];
  return Fallback(buffer, code);
}

const char* InitFailureText(uint32_t result) {
  const CoreCodeRow* row = FindCoreCode(result);
  return row && row->initText ? row->initText : "Zephal 初始化失败";
}

const char* ReportText(uint32_t code) {
  for (const ReportTextRow& row : kReportTexts) {
    if (row.code == code) return row.text;
  }
  thread_local char buffer[kFallbackSize];
  return Fallback(buffer, code);
}
