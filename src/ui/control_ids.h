// Control ids of the main dialog, in template order. Plain ints so that portable
// code and tests can use them without <windows.h>.
#pragma once

// Text labels of the edits and the service list: never drawn (their pictures
// are painted on the dialog), they give the accessibility layer their names.
constexpr int IDC_USER_LABEL = 1620;
constexpr int IDC_USER = 1601;
constexpr int IDC_PASSWORD_LABEL = 1621;
constexpr int IDC_PASSWORD = 1602;
constexpr int IDC_SAVE_LOGIN_LABEL = 1622;
constexpr int IDC_SAVE_PASSWORD_LABEL = 1623;
constexpr int IDC_ABOUT_PANEL = 1616;
constexpr int IDC_STATUS_PANEL = 1617;
constexpr int IDC_ADDRESS = 1618;
constexpr int IDC_CONN_TIME = 1619;
constexpr int IDC_RECV_DATA = 1638;
constexpr int IDC_SENT_DATA = 1639;
constexpr int IDC_RECV_RATE = 1642;
constexpr int IDC_SENT_RATE = 1643;
constexpr int IDC_SAVE_LOGIN = 1603;
constexpr int IDC_SAVE_PASSWORD = 1604;
constexpr int IDC_AUTORUN = 1605;
constexpr int IDC_AUTO_LOGIN = 1606;
constexpr int IDC_IMPORTANT_ONLY = 1607;
constexpr int IDC_WRITE_LOG = 1608;
constexpr int IDC_SERVICE_LABEL = 1653;
constexpr int IDC_SERVICE = 1652;
constexpr int IDC_CONNECT = 1610;
constexpr int IDC_DISCONNECT = 1611;
constexpr int IDC_CANCEL = 1612;
constexpr int IDC_PROGRESS = 1614;
constexpr int IDC_AUTORUN_LABEL = 1624;
constexpr int IDC_AUTO_LOGIN_LABEL = 1625;
constexpr int IDC_IMPORTANT_ONLY_LABEL = 1626;
constexpr int IDC_WRITE_LOG_LABEL = 1627;
constexpr int IDC_EXPIRY = 1651;
constexpr int IDC_REGISTER = 1654;
constexpr int IDC_SUPPORT = 1655;
