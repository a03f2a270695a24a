// The texts of the string table.
#include "app/StringTable.h"

namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {101, "VELDMARK Font Updater2023のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {102, "フォントの改訂を中止します。\r\n\r\n中止する場合は、”はい”ボタン、\r\n中止しない場合は、”いいえ”ボタンを押してください。"},
    {105, "改訂が正常に終了しました。\r\n\r\n改訂したフォントを有効にする為に、システムを再起動します。\r\n再起動する場合は、”再起動”を押してください。"},
    {106, "フォントファイルの改訂を中止しました。"},
    {107, "該当するフォントがありませんでした。\r\n\r\n改訂プログラムを終了します。"},
    {108, "改訂対象となるフォントが存在しません。\r\n改訂を開始できません。"},
    {109, "セットアップの初期化でエラーが発生しました。\r\nマシンを再起動後、今一度、改訂プログラムを実行して下さい。\r\n改善されない場合は、弊社サポートまで、ご連絡ください。"},
    {110, "このOSはサポートしていません。\r\n動作環境をご確認下さい。"},
    {111, "現在、ログオンしているユーザの権限では、改訂できません。\r\nAdministrator権限のあるユーザで、ログオンしなおしてください。"},
    {112, "改訂元のフォントが存在しません。\r\n改訂を中止します。"},
    {114, "改訂元ファイル(%s)の読み込みに失敗しました。"},
    {116, "改訂対象フォントの検索を中止します。\r\n\r\n中止する場合は、”はい”ボタン、\r\n中止しない場合は、”いいえ”ボタンを押してください。"},
    {119, "改訂プログラムの差分ファイルの読み込みに失敗しました。"},
    {121, "テンポラリフォルダからフォント(%s)の再構築に失敗しました。"},
    {123, "改訂後のフォントファイル(%s)の読み込みに失敗しました。"},
    {124, "改訂後のフォントファイル(%s)のベリファイが一致しません。"},
};

}  // namespace

const char* LoadProgramString(int id) {
  for (const Entry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return "";
}

int EndMessageId(int code) {
  switch (code) {
    case 0:
      return string_id::kRevisionSucceeded;
    case 1:
      return string_id::kSourceReadFailed;
    case 10:
      return string_id::kRebuildFailed;
    case 12:
      return string_id::kRevisedReadFailed;
    case 13:
      return string_id::kVerifyMismatch;
    default:
      return string_id::kRevisionStopped;
  }
}
