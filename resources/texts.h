// Every text the updater shows, in one place: the string table and the
// texts of the dialog templates. Read by the resource compiler (as UTF-8)
// and by the program, whose narrow literals are UTF-8 on every system.
#pragma once

#include "release.h"

#define TEXT_PROGRAM_TITLE "VELDMARKフォント 改訂プログラム"

// The string table, by number.
#define TEXT_101 TESSEL_PROGRAM_NAME "のﾊﾞｰｼﾞｮﾝ情報(&A)..."
#define TEXT_102 "フォントの改訂を中止します。\r\n\r\n中止する場合は、”はい”ボタン、\r\n中止しない場合は、”いいえ”ボタンを押してください。"
#define TEXT_105 "改訂が正常に終了しました。\r\n\r\n改訂したフォントを有効にする為に、システムを再起動します。\r\n再起動する場合は、”再起動”を押してください。"
#define TEXT_106 "フォントファイルの改訂を中止しました。"
#define TEXT_107 "該当するフォントがありませんでした。\r\n\r\n改訂プログラムを終了します。"
#define TEXT_108 "改訂対象となるフォントが存在しません。\r\n改訂を開始できません。"
#define TEXT_109 "セットアップの初期化でエラーが発生しました。\r\nマシンを再起動後、今一度、改訂プログラムを実行して下さい。\r\n改善されない場合は、弊社サポートまで、ご連絡ください。"
#define TEXT_110 "このOSはサポートしていません。\r\n動作環境をご確認下さい。"
#define TEXT_111 "現在、ログオンしているユーザの権限では、改訂できません。\r\nAdministrator権限のあるユーザで、ログオンしなおしてください。"
#define TEXT_112 "改訂元のフォントが存在しません。\r\n改訂を中止します。"
#define TEXT_114 "改訂元ファイル(%s)の読み込みに失敗しました。"
#define TEXT_116 "改訂対象フォントの検索を中止します。\r\n\r\n中止する場合は、”はい”ボタン、\r\n中止しない場合は、”いいえ”ボタンを押してください。"
#define TEXT_119 "改訂プログラムの差分ファイルの読み込みに失敗しました。"
#define TEXT_121 "テンポラリフォルダからフォント(%s)の再構築に失敗しました。"
#define TEXT_123 "改訂後のフォントファイル(%s)の読み込みに失敗しました。"
#define TEXT_124 "改訂後のフォントファイル(%s)のベリファイが一致しません。"

// The main dialog (template 102).
#define TEXT_MAIN_INTRO "検索した結果、下記のフォントが改訂の対象となります。\n\n\n改訂を実行する場合は、”実行”を押してください。"
#define TEXT_FONT_COLUMN "フォント名"
#define TEXT_EXECUTE "実行"
#define TEXT_ABORT "中止"
#define TEXT_ABORT_SPACED "中　止"

// The start dialog (template 129).
#define TEXT_START_INTRO "ヴェルドマークのOpenTypeフォント製品に対する改訂プログラムです。"
#define TEXT_START_HEADING "ヴェルドマークフォント製品をご利用のお客様は、下記３８１フォントが改訂対象です。\n\n"
#define TEXT_START_SEARCH "フォントの改訂を実行する前に、改訂に該当するフォントを検索します。\n\nご利用のコンピュータ内のフォントを検索する場合は”次へ”を押してください。\n\n※この検索では、まだ改訂の実行ではありません。"
#define TEXT_NEXT "次へ"

// The wait dialog (template 170).
#define TEXT_WAIT_TITLE "検索中"
#define TEXT_WAIT_INTRO "しばらくお待ちください。\n\n対象となるフォントを検索中です。"

// The progress dialog (template 130).
#define TEXT_PROGRESS_TITLE "フォントを改訂中"
#define TEXT_OVERALL_PROGRESS "全体の進捗"
#define TEXT_STEP_PROGRESS "現在の進捗"

// The message dialogs (templates 131 to 134).
#define TEXT_CONFIRM_TITLE "確　認"
#define TEXT_YES "はい"
#define TEXT_NO "いいえ"
#define TEXT_RESTART "再起動"
#define TEXT_CANCEL "キャンセル"
#define TEXT_STATIC_PLACEHOLDER "スタティック"

// The version box (template 100).
#define TEXT_ABOUT_TITLE "VELDMARKフォント Updaterのﾊﾞｰｼﾞｮﾝ情報"
#define TEXT_ABOUT_VERSION TESSEL_EXECUTABLE_NAME " Version " TESSEL_RELEASE_VERSION
#define TEXT_OK "OK"
