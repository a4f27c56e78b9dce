#include "ui/control_names.h"

#include "ui/control_ids.h"

const OptionLabel kOptionLabels[6] = {
    {IDC_SAVE_LOGIN, IDC_SAVE_LOGIN_LABEL, "保存登陆信息"},
    {IDC_SAVE_PASSWORD, IDC_SAVE_PASSWORD_LABEL, "记录登陆密码"},
    {IDC_AUTORUN, IDC_AUTORUN_LABEL, "电脑启动，启动本软件"},
    {IDC_AUTO_LOGIN, IDC_AUTO_LOGIN_LABEL, "连接到互联网时自动登陆，保存登陆信息和密码后才可使用"},
    {IDC_IMPORTANT_ONLY, IDC_IMPORTANT_ONLY_LABEL, "仅显示重要提示信息"},
    {IDC_WRITE_LOG, IDC_WRITE_LOG_LABEL, "保存连接日志，以帮助解决连接问题，选择后影响连接速度"},
};

int OptionBoxOfLabel(int label) {
  for (const OptionLabel& o : kOptionLabels)
    if (o.label == label) return o.box;
  return 0;
}

int LabelOfOptionBox(int box) {
  for (const OptionLabel& o : kOptionLabels)
    if (o.box == box) return o.label;
  return 0;
}

std::vector<ControlName> ControlNames() {
  // The actions the picture buttons stand for, as their pictures read.
  std::vector<ControlName> names = {
      {IDC_USER_LABEL, "用户名"},   {IDC_PASSWORD_LABEL, "密码"}, {IDC_SERVICE_LABEL, "服务类型"},
      {IDC_CONNECT, "连接"},        {IDC_DISCONNECT, "断开"},     {IDC_CANCEL, "取消"},
      {IDC_REGISTER, "注册"},       {IDC_SUPPORT, "联系客服"},
  };
  for (const OptionLabel& o : kOptionLabels) {
    names.push_back({o.box, o.caption});
    names.push_back({o.label, o.caption});
  }
  return names;
}
