#pragma once
// Every text the program shows its user, in one place: notices, questions, the menu, the settings
// dialog's labels and the grid's headers. The settings file's own lines live with its keys.
#include "kestrival_version.h"

namespace kestrival::texts {

// The gadget and its menu.
inline constexpr const char16_t* kProductCaption = u"Kestrival";
inline constexpr const char16_t* kGadgetCaption = u" - Kestrival -";
inline constexpr const char16_t* kMenuSettings = u"Kestrival 設定(&S)";
inline constexpr const char16_t* kMenuSupport = u"サポートサイト(&P)";
inline constexpr const char16_t* kMenuQuit = u"終了(&X)";
inline constexpr const char16_t* kMenuStacking = u"重ね順(&Z)";
inline constexpr const char16_t* kMenuStackOrdinary = u"通常(&N)";
inline constexpr const char16_t* kMenuStackOnTop = u"常に手前(&T)";
inline constexpr const char16_t* kMenuStackOnDesktop = u"デスクトップ(&D)";
inline constexpr const char16_t* kMenuLockPosition = u"位置を固定(&L)";
inline constexpr const char16_t* kMenuMonitor = u"表示するモニター(&M)";
// A monitor's item: its number (its access key) and size; the primary is marked.
inline constexpr const char16_t* kMenuMonitorItem = u"&%d  %d × %d";
inline constexpr const char16_t* kMenuMonitorPrimary = u" (メイン)";
inline constexpr const char16_t* kMenuNotificationIcon = u"通知領域に表示(&I)";
inline constexpr const char16_t* kMenuClickThrough = u"クリックを透過(&T)";
inline constexpr const char16_t* kMenuHideUnderFullScreen = u"全画面表示のときは隠す(&F)";
inline constexpr const char16_t* kMenuStartWithWindows = u"Windows の起動時に開始(&W)";
inline constexpr const char16_t* kMenuStartAtLogin = u"ログイン時に開始(&W)";
inline constexpr const char16_t* kUnsupportedSystem = u"お使いのシステムではご利用いただけません。";

// Notices about the settings file; the file's path stands between the two parts.
inline constexpr const char16_t* kUnreadableFileBefore = u"設定ファイルを読み込めませんでした。\n";
inline constexpr const char16_t* kUnreadableFileAfter = u"\n\n既定の設定で表示します。このファイルには書き込みません。";
inline constexpr const char16_t* kUnsavedFileBefore = u"設定ファイルに書き込めませんでした。\n";
inline constexpr const char16_t* kUnsavedFileAfter = u"\n\n設定は保存されていません。";
inline constexpr const char16_t* kHeldBackFileBefore =
    u"設定ファイルを起動時に読み込めなかったため、設定は保存されません。\n";
inline constexpr const char16_t* kHeldBackFileAfter = u"\n\n変更した設定は、このガジェットの表示にだけ使われます。";

// The title of the goal a new settings file starts with: the next year's number stands for %d.
inline constexpr const char16_t* kDefaultGoalTitle = u"%d年まで";

// The settings dialog's checks and question.
inline constexpr const char16_t* kPanelCountNotice = u"パネル数は横×縦で1～150に設定してください。";
inline constexpr const char16_t* kCommaInTitle = u"表題に半角のカンマ,を含めないでください。";
inline constexpr const char16_t* kStartAfterEnd = u"開始日＞終了日になっている設定を修正してください。";
inline constexpr const char16_t* kDeleteQuestion = u"選択している情報を削除しますか？";

// The settings dialog.
inline constexpr const char16_t* kSetupCaption = u" Kestrival " KESTRIVAL_VERSION_TEXT u" 設定";
inline constexpr const char16_t* kGridTitle = u"表題";
inline constexpr const char16_t* kGridStart = u"開始日";
inline constexpr const char16_t* kGridEnd = u"終了日";
inline constexpr const char16_t* kTitleGroup = u" タイトル ";
inline constexpr const char16_t* kBirthDate = u"生年月日";
inline constexpr const char16_t* kSubtitle = u"サブタイトル";
inline constexpr const char16_t* kSubtitleNone = u"なし";
inline constexpr const char16_t* kSubtitleToday = u"今日の日付";
inline constexpr const char16_t* kSubtitleDaysSinceBirth = u"生後の日数";
inline constexpr const char16_t* kTextColour = u"文字色";
inline constexpr const char16_t* kBackgroundColour = u"背景色";
inline constexpr const char16_t* kHorizontalGroup = u" 横設定 ";
inline constexpr const char16_t* kVerticalGroup = u" 縦設定 ";
inline constexpr const char16_t* kOffset = u"オフセット";
inline constexpr const char16_t* kPanelCount = u"パネル数";
inline constexpr const char16_t* kLeftEdge = u"左端";
inline constexpr const char16_t* kRightEdge = u"右端";
inline constexpr const char16_t* kTopEdge = u"上端";
inline constexpr const char16_t* kBottomEdge = u"下端";
inline constexpr const char16_t* kCentre = u"中央";
inline constexpr const char16_t* kLookGroup = u" 外観 ";
inline constexpr const char16_t* kTranslucent = u"透過";
inline constexpr const char16_t* kOpacity = u"透明度";
inline constexpr const char16_t* kFrameLines = u"枠線";
inline constexpr const char16_t* kFrameTop = u"上";
inline constexpr const char16_t* kFrameBottom = u"下";
inline constexpr const char16_t* kFrameLeft = u"左";
inline constexpr const char16_t* kFrameRight = u"右";
inline constexpr const char16_t* kFrameColour = u"枠線色";
inline constexpr const char16_t* kPanelsGroup = u" パネル ";
inline constexpr const char16_t* kOrderDownFirst = u"縦";
inline constexpr const char16_t* kOrderAcrossFirst = u"横";
inline constexpr const char16_t* kPanelOrder = u"並べ順";
inline constexpr const char16_t* kCaptionTextColour = u"表題文字色";
inline constexpr const char16_t* kCaptionBackgroundColour = u"表題背景色";
inline constexpr const char16_t* kStartDateColour = u"開始日色";
inline constexpr const char16_t* kEndDateColour = u"終了日色";
inline constexpr const char16_t* kBarFrameColour = u"グラフ枠色";
inline constexpr const char16_t* kBarColour = u"グラフ色";
inline constexpr const char16_t* kDaysElapsedColour = u"経過日数色";
inline constexpr const char16_t* kDaysLeftColour = u"残日数色";
inline constexpr const char16_t* kOk = u"設定する";
inline constexpr const char16_t* kCancel = u"設定しない";
inline constexpr const char16_t* kDelete = u"削除";

// The goal grid's context menu for how a goal counts, and the days-off dialog.
inline constexpr const char16_t* kCountHeading = u"数え方";
inline constexpr const char16_t* kCountCalendar = u"暦日どおり";
inline constexpr const char16_t* kCountTodayIncluded = u"今日を含める(&T)";
inline constexpr const char16_t* kCountWorkingDays = u"平日のみ(&W)";
inline constexpr const char16_t* kCountYearly = u"毎年くり返す(&Y)";
inline constexpr const char16_t* kDaysOffMenu = u"休日の設定...";
inline constexpr const char16_t* kDaysOffCaption = u"休日の設定";
inline constexpr const char16_t* kDaysOffHelp =
    u"土日と祝日のほかに休む日を、空白で区切って入力してください。\n"
    u"例: 12/29-01/03 (毎年)  08/13 (毎年)  2027/05/06 (その日だけ)";
// The same menu's reminders: a heading, one item for each day before the end date, and none.
inline constexpr const char16_t* kRemindHeading = u"知らせる";
inline constexpr const char16_t* kRemindOnDay = u"当日(&0)";
inline constexpr const char16_t* kRemindDayBefore = u"前日(&1)";
inline constexpr const char16_t* kRemindWeekBefore = u"1週間前(&7)";
inline constexpr const char16_t* kRemindMonthBefore = u"30日前(&3)";
inline constexpr const char16_t* kRemindNever = u"知らせない";
// A reminder's text under the goal's title: the days left and the end date ("残り 7 日 (2026/12/18
// まで)"), or on the end date itself that it is today ("今日が終了日です (2026/12/11)").
inline constexpr const char16_t* kReminderDaysLeft = u"残り %d 日 (";
inline constexpr const char16_t* kReminderDaysLeftAfter = u" まで)";
inline constexpr const char16_t* kReminderTodayBefore = u"今日が終了日です (";
inline constexpr const char16_t* kReminderTodayAfter = u")";
// What a screen reader speaks for the gadget: the band's days since the birth date, and a panel's
// dates and day counts after its title ("2026/01/01 から 2027/01/01、経過 343 日、残り 21 日").
inline constexpr const char16_t* kReadBirthDaysBefore = u"生後 ";
inline constexpr const char16_t* kReadBirthDaysAfter = u" 日";
inline constexpr const char16_t* kReadBandSeparator = u"、";
inline constexpr const char16_t* kReadDateRange = u" から ";
inline constexpr const char16_t* kReadElapsedDays = u"、経過 %d 日";
inline constexpr const char16_t* kReadRemainingDays = u"、残り %d 日";
// A goal's counting choices follow its day counts, each in the words of the grid's menu without
// the access key ("、今日を含める、平日のみ").
inline constexpr const char16_t* kReadChoiceSeparator = u"、";
// The goal grid's cell editor is named by its column and this row number.
inline constexpr const char16_t* kReadGridRow = u"%d 行目";
// A control whose label another control also has is named with its group's caption in front
// ("外観 背景色"); the goal grid is named in the help page's words for it.
inline constexpr const char16_t* kReadGroupSeparator = u" ";
inline constexpr const char16_t* kReadGoalGrid = u"目標の一覧";
// A colour swatch's value, and the two arrows of a number's spinner after the number's name.
inline constexpr const char16_t* kReadColour = u"赤 %d、緑 %d、青 %d";
inline constexpr const char16_t* kReadSpinUp = u" 増やす";
inline constexpr const char16_t* kReadSpinDown = u" 減らす";

}  // namespace kestrival::texts
