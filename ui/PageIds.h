#pragma once
// The pages of the main window: the item indexes of the tab layout "TabMain".
enum PageId : unsigned {
    Page_Disconnected = 0,
    Page_Home = 1,
    Page_SecurityOn = 2,
    Page_FpList = 3,
    Page_FormatWarning = 4,
    Page_PwdUnlock = 5,
    Page_ForgetPwd = 6,
    Page_CheckPwd = 7,
    Page_About = 8,
    Page_Warranty = 9,
    Page_Version = 10,
    Page_Wait = 11,
    Page_MoreInfo = 12,
    Page_SecurityOff = 13,
    Page_AddFpStart = 14,
    Page_AddFpScan = 15,
    Page_AddFpFailed = 16,
    Page_AddFpFaq = 17,
    Page_FpUnlock = 18,
    Page_AddFpDone = 19,
    Page_AddPwd = 20,
    Page_ModifyPwd = 21,
    Page_DeletePwd = 22,
    Page_Last = Page_DeletePwd,
};

// The pages' names, by page id: each page container in the layouts is named after its page.
inline constexpr const char* kPageNames[Page_Last + 1] = {
    "Page_Disconnected",  "Page_Home",        "Page_SecurityOn", "Page_FpList",
    "Page_FormatWarning", "Page_PwdUnlock",   "Page_ForgetPwd",  "Page_CheckPwd",
    "Page_About",         "Page_Warranty",    "Page_Version",    "Page_Wait",
    "Page_MoreInfo",      "Page_SecurityOff", "Page_AddFpStart", "Page_AddFpScan",
    "Page_AddFpFailed",   "Page_AddFpFaq",    "Page_FpUnlock",   "Page_AddFpDone",
    "Page_AddPwd",        "Page_ModifyPwd",   "Page_DeletePwd"};
