#include "explorer/SpecialFolderTable.h"

namespace velmora::explorer {

const char16_t* const SpecialFolderTable[kSpecialFolderCount] = {
    u"デスクトップ",                       // 0  desktop
    u"インターネット",                     // 1  Internet
    u"プログラムグループ",                 // 2  programs
    u"コントロールパネル",                 // 3  control panel
    u"プリンタ",                           // 4  printers
    u"マイ ドキュメント",                  // 5  personal
    u"お気に入り",                         // 6  favorites
    u"スタートアップ",                     // 7  startup
    u"最近使ったファイル",                 // 8  recent
    u"送る",                               // 9  send to
    u"ごみ箱",                             // 10 recycle bin
    u"スタートメニュー",                   // 11 start menu
    u"論理 マイ ドキュメント",             // 12 my documents
    u"マイ ミュージック",                  // 13 my music
    u"マイ ビデオ",                        // 14 my video
    u"",                                   // 15 (none)
    u"デスクトップディレクトリ",           // 16 desktop directory
    u"マイ\u3000コンピュータ",             // 17 drives; an ideographic space
    u"ネットワーク",                       // 18 network
    u"NETHOOD",                            // 19 nethood
    u"フォント",                           // 20 fonts
    u"テンプレート",                       // 21 templates
    u"共通スタートメニュー",               // 22 common start menu
    u"共通プログラムグループ",             // 23 common programs
    u"共通スタートアップ",                 // 24 common startup
    u"共通デスクトップディレクトリ",       // 25 common desktop directory
    u"アプリケーションデータ",             // 26 application data
    u"PRINTHOOD",                          // 27 printhood
    u"ローカルアプリケーションデータ",     // 28 local application data
    u"非局所スタートアップ",               // 29 alternate startup
    u"共通非局所スタートアップ",           // 30 common alternate startup
    u"共通のお気に入り",                   // 31 common favorites
    u"インターネットキャッシュ",           // 32 Internet cache
    u"クッキー",                           // 33 cookies
    u"History",                            // 34 history
    u"共通アプリケーションデータ",         // 35 common application data
    u"Windowsフォルダ",                    // 36 Windows
    u"システムフォルダ",                   // 37 system
    u"Program Files",                      // 38 program files
    u"マイ ピクチャー",                    // 39 my pictures
    u"プロファイル",                       // 40 profile
    u"システムフォルダ",                   // 41 system (x86)
    u"x86 プログラムファイル",             // 42 program files (x86)
    u"共通共同プログラムファイル",         // 43 common program files
    u"x86 共通共同プログラムファイル",     // 44 common program files (x86)
    u"共通テンプレート",                   // 45 common templates
    u"共通ドキュメント",                   // 46 common documents
    u"共通管理ツール",                     // 47 common administrative tools
    u"管理ツール",                         // 48 administrative tools
    u"ネットワーク・ダイヤルアップ接続",   // 49 connections
    u"",                                   // 50 (none)
    u"",                                   // 51 (none)
    u"",                                   // 52 (none)
    u"共通マイ ミュージック",              // 53 common music
    u"共通マイ ピクチャー",                // 54 common pictures
    u"共通マイ ビデオ",                    // 55 common video
    u"リソース",                           // 56 resources
    u"ローカライズ リソース",              // 57 localized resources
    u"OEM リンク",                         // 58 common OEM links
    u"CDバーニング",                       // 59 CD burning area
    u"Web マイ ドキュメント",              // 60 (not in the published list)
    u"近くのコンピュータ",                 // 61 computers near me
    u"Tempディレクトリ",                   // 62 temporary files
};

bool IsOfferedFolder(int number) {
    if (number < 0 || number >= kSpecialFolderCount) return false;
    return number != 15 && number != 50 && number != 51 && number != 52;
}

}  // namespace velmora::explorer
