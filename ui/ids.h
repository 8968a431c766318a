// Command ids of the main window's controls and of its menu.
#ifndef ZERROW_UI_IDS_H
#define ZERROW_UI_IDS_H

namespace zrw {

enum : int {
    kIdRightBrowse = 2003,
    kIdCopyRight = 2004,
    kIdMoveRight = 2005,
    kIdCancel = 2006,
    kIdMenu = 2008,
    kIdLeftList = 2010,
    kIdRightList = 2011,
    kIdLeftUp = 2012,
    kIdRightUp = 2013,
    kIdLeftBrowse = 2014,
    kIdCopyLeft = 2015,
    kIdMoveLeft = 2016,
    kIdRefresh = 2017,
    kIdEngine = 2019,
    kIdVerify = 2020,
    kIdPause = 2021,
    kIdLangZh = 2107,
    kIdLangEn = 2108,
    kIdSkinFirst = 2200,
    kIdSkinLast = 2208,
};

enum : int {
    kIdInstallMenu = 2009,
    kIdUninstall = 2101,
    kIdOpenLogs = 2102,
    kIdHashList = 2109,
    kIdCheckHashes = 2110,
    kIdRemoveMenu = 2104,
    kIdAbout = 2105,
    kIdExit = 2106,
    kIdSkinMenu = 2300,
    kIdMenuSeparator = 2302,
    kIdLangMenu = 2399,
    kIdAboutClose = 2306,
    kIdAboutStatus = 2311,
    kIdAboutTitle = 2330,
    kIdAboutNote = 2331,
    kIdAboutVersion = 2333,
};

}  // namespace zrw

#endif
