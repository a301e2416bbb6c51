// Parsing tarnwell-cli's options into the window's choices.
#include "cli/CliOptions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "cli/TotalSize.h"
#include "engine/base/UtcTime.h"
#include "engine/run/WholeDriveCheck.h"

namespace tarnwell::cli {
namespace {

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

// Looks up an item text; sizes are accepted in any letter case.
template <std::size_t N>
int FindItem(const std::array<std::string_view, N>& items, std::string_view text) {
  const std::string wanted = Upper(text);
  for (std::size_t i = 0; i < N; ++i) {
    if (Upper(items[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

template <std::size_t N>
std::string ItemList(const std::array<std::string_view, N>& items) {
  std::string list;
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) list += ", ";
    list += items[i];
  }
  return list;
}

// A signed decimal ("-20.5", "+0.012", "3") within a day either way; no
// exponent, no infinity, nothing after the digits.
std::optional<double> ParseClockOffset(std::string_view text) {
  std::size_t i = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
  std::size_t digits = 0;
  bool point = false;
  for (std::size_t k = i; k < text.size(); ++k) {
    if (text[k] == '.' && !point) {
      point = true;
    } else if (text[k] >= '0' && text[k] <= '9') {
      ++digits;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || digits > 20) return std::nullopt;
  // from_chars takes no "+" and, unlike strtod, no locale's decimal comma.
  const std::string_view digitsText = text.substr(text.starts_with('+') ? 1 : 0);
  double value = 0;
  const auto [end, error] =
      std::from_chars(digitsText.data(), digitsText.data() + digitsText.size(), value);
  if (error != std::errc() || end != digitsText.data() + digitsText.size() ||
      !(std::abs(value) <= 86400)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

CliOptions DefaultOptions(const std::string& folder) {
  CliOptions options;
  options.Choices.Folder = folder;
  return options;
}

ParseResult ParseCliOptions(const std::vector<std::string>& arguments, const CliOptions& defaults) {
  ParseResult result;
  CliOptions& options = result.Options;
  options = defaults;
  RunChoices& choices = options.Choices;
  std::optional<bool> blockMegabyte;
  std::vector<std::string> given;  // each option once, as spelt first
  std::string runOption;           // the first one that makes no sense with --history

  for (std::size_t a = 0; a < arguments.size(); ++a) {
    std::string name = arguments[a];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('=');
        name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    // A second value would silently win over the first; a second --delete
    // or --keep would silently undo the other.
    const std::string option = name == "-h"                             ? std::string("--help")
                               : name == "--delete" || name == "--keep" ? std::string("--delete")
                                                                        : name;
    const bool known = name.rfind("--", 0) == 0 || name == "-h";
    if (known && std::find(given.begin(), given.end(), option) != given.end()) {
      result.Error =
          option == "--delete"
              ? std::string("--delete と --keep は、どちらか一つを一度だけ指定してください")
              : name + " が二度指定されています";
      return result;
    }
    if (known) given.push_back(option);
    if (runOption.empty() && option != "--history" && option != "--match" && option != "--json" &&
        option != "--help" && option != "--version") {
      runOption = name;
    }
    auto takeValue = [&]() -> std::optional<std::string> {
      if (value) return value;
      // "--folder --json" forgot the folder; it does not name one "--json"
      // (a value starting "--" can still be given as --folder=--x).
      if (a + 1 < arguments.size() && !arguments[a + 1].starts_with("--")) return arguments[++a];
      result.Error = name + " には値が必要です";
      return std::nullopt;
    };
    auto flag = [&](bool& target, bool setting) {
      if (value) {
        result.Error = name + " は値を取りません";
        return;
      }
      target = setting;
    };
    auto item = [&](const auto& items, int& target) {
      const std::optional<std::string> text = takeValue();
      if (!text) return;
      const int index = FindItem(items, *text);
      if (index < 0) {
        result.Error =
            name + " の値 \"" + *text + "\" は次のどれかにしてください: " + ItemList(items);
        return;
      }
      target = index;
    };

    if (name == "--help" || name == "-h") {
      flag(options.Help, true);
    } else if (name == "--version") {
      flag(options.Version, true);
    } else if (name == "--json") {
      flag(options.Json, true);
    } else if (name == "--no-history") {
      flag(options.NoHistory, true);
    } else if (name == "--history") {
      flag(options.ListHistory, true);
    } else if (name == "--fill") {
      flag(options.Fill, true);
    } else if (name == "--no-file-times") {
      flag(options.KeepFileTimes, false);
    } else if (name == "--match") {
      if (const std::optional<std::string> text = takeValue()) options.Match = *text;
    } else if (name == "--report") {
      if (const std::optional<std::string> file = takeValue()) {
        if (file->empty()) {
          result.Error = "--report にファイル名が必要です";
        } else {
          options.Report = *file;
        }
      }
    } else if (name == "--merge") {
      // Every following argument up to the next option is a document.
      while (a + 1 < arguments.size() && !arguments[a + 1].starts_with("--")) {
        options.MergeFiles.push_back(arguments[++a]);
      }
      if (value) options.MergeFiles.insert(options.MergeFiles.begin(), *value);
      if (options.MergeFiles.empty()) result.Error = "--merge には文書のファイルが必要です";
    } else if (name == "--host") {
      if (const std::optional<std::string> host = takeValue()) {
        if (host->empty()) {
          result.Error = "--host に空の名前は指定できません";
        } else {
          options.Host = *host;
        }
      }
    } else if (name == "--label") {
      options.Label = takeValue();
    } else if (name == "--json-file") {
      if (const std::optional<std::string> file = takeValue()) {
        if (file->empty()) {
          result.Error = "--json-file にファイル名が必要です";
        } else {
          options.JsonFile = *file;
        }
      }
    } else if (name == "--start-at") {
      if (const std::optional<std::string> text = takeValue()) {
        options.StartAt = ParseUtcTime(*text);
        if (!options.StartAt) {
          result.Error = "--start-at の値 \"" + *text +
                         "\" は UTC の日時 (2026-12-10T05:40:12Z、2026-12-10T05:40:12.250Z など) "
                         "か 1970 年からの秒数にしてください";
        }
      }
    } else if (name == "--clock-offset") {
      if (const std::optional<std::string> text = takeValue()) {
        options.ClockOffset = ParseClockOffset(*text);
        if (!options.ClockOffset) {
          result.Error = "--clock-offset の値 \"" + *text +
                         "\" は -86400 から 86400 までの秒数 (例: -20.5 0.012) にしてください";
        }
      }
    } else if (name == "--per-host") {
      flag(options.PerHost, true);
    } else if (name == "--read-only") {
      flag(choices.ReadOnly, true);
    } else if (name == "--verify") {
      flag(choices.Verify, true);
    } else if (name == "--random") {
      flag(choices.ReadRandom, true);
    } else if (name == "--delete") {
      flag(choices.DeleteFiles, true);
    } else if (name == "--keep") {
      flag(choices.DeleteFiles, false);
    } else if (name == "--settings") {
      options.Settings = takeValue();
    } else if (name == "--folder") {
      if (const std::optional<std::string> folder = takeValue()) {
        if (folder->empty()) {
          result.Error = "--folder に空のフォルダは指定できません";
        } else {
          choices.Folder = *folder;
          options.FolderGiven = true;
        }
      }
    } else if (name == "--file-size") {
      item(FileSizeItems, choices.FileSizeIndex);
    } else if (name == "--total") {
      // Any size from 1MB up; one of the list's keeps its index as well.
      if (const std::optional<std::string> text = takeValue()) {
        if (const std::optional<std::int64_t> bytes = ParseTotalSize(*text)) {
          choices.TotalBytes = *bytes;
          for (std::size_t i = 0; i < TotalSizeTable.size(); ++i) {
            if (TotalSizeTable[i] == *bytes) choices.TotalSizeIndex = static_cast<int>(i);
          }
        } else if (SpeaksOfBits(*text)) {
          result.Error = name + " の値 \"" + *text +
                         "\" の b はビットです。大きさはバイトで、単位 KB MB GB TB の B "
                         "を大文字にして書いてください (例: 100MB 4GB)";
        } else {
          result.Error = name + " の値 \"" + *text +
                         "\" は 1MB 以上の大きさを整数と単位 KB MB GB TB で書いてください "
                         "(例: 100MB 4GB 1536MB)";
        }
      }
    } else if (name == "--repeat") {
      item(RepeatItems, choices.RepeatIndex);
    } else if (name == "--wait") {
      item(WaitItems, choices.WaitIndex);
    } else if (name == "--read-percent") {
      item(ReadPercentageItems, choices.ReadPercentageIndex);
    } else if (name == "--priority") {
      item(PriorityItems, options.PriorityIndex);
    } else if (name == "--block") {
      int index = -1;
      item(BlockItems, index);
      if (index >= 0) blockMegabyte = index == 1;
    } else {
      result.Error = "不明なオプションです: " + arguments[a];
    }
    if (!result.Error.empty()) return result;
  }

  // --help and --version answer whatever else is given.
  if (!options.Help && !options.Version) {
    if (options.ListHistory && !runOption.empty()) {
      result.Error = runOption + " は --history と一緒には使えません";
      return result;
    }
    if (!options.ListHistory && std::find(given.begin(), given.end(), "--match") != given.end()) {
      result.Error = "--match は --history と一緒に使ってください";
      return result;
    }
  }
  // A merge runs nothing: only its output can be chosen.
  if (!options.MergeFiles.empty() && !options.Help && !options.Version) {
    for (const std::string& option : given) {
      if (option != "--merge" && option != "--json" && option != "--report") {
        result.Error = option + " は --merge と一緒には使えません";
        return result;
      }
    }
  }
  // The check sizes itself and always reads every file back once, in order.
  if (options.Fill) {
    for (const char* fixed : {"--total", "--repeat", "--read-percent", "--read-only", "--random"}) {
      if (std::find(given.begin(), given.end(), fixed) != given.end()) {
        result.Error = std::string(fixed) + " は --fill と一緒には使えません";
        return result;
      }
    }
  }
  if (blockMegabyte) choices.OneMegabyteBlocks = *blockMegabyte;
  const bool smallFile =
      !OneMegabyteBlocksFit(FileSizeTable[static_cast<std::size_t>(choices.FileSizeIndex)]);
  if (blockMegabyte.value_or(false) && smallFile) {
    result.Error = "--block 1MB は 1MB 以上のファイルでのみ使えます";
    return result;
  }
  const std::int64_t fileSize = FileSizeTable[static_cast<std::size_t>(choices.FileSizeIndex)];
  if (choices.TotalBytes / fileSize > MaxFileCount) {
    result.Error = "--total " + TotalText(choices.TotalBytes) + " は " +
                   std::string(FileSizeItems[static_cast<std::size_t>(choices.FileSizeIndex)]) +
                   " のファイルで 1,048,576 個を超えます。--file-size を大きくしてください";
    return result;
  }
  DeriveParameters(choices);
  if (options.Fill) {
    const bool keep = std::find(arguments.begin(), arguments.end(), "--keep") != arguments.end();
    MakeFillChoices(choices, keep);
  }
  return result;
}

const char* UsageText() {
  return "使い方: tarnwell-cli [オプション]\n"
         "\n"
         "ディスクにテストファイルを書き込み、読み戻して、その速度を測ります。\n"
         "書き込みはファイルキャッシュを通さず (直接 I/O)、毎回デバイスまで書き込みます。\n"
         "\n"
         "  --folder DIR           テストフォルダ TRW_TEMP を作る場所 (既定: ホームフォルダ)\n"
         "  --file-size SIZE       ファイルの大きさ: 1KB 10KB 100KB 1MB 5MB 10MB 50MB 100MB\n"
         "  --total SIZE           総容量: 1MB 以上、整数と単位 KB MB GB TB (例: 100MB 4GB\n"
         "                         1536MB)。ファイルは 1,048,576 個まで。空き容量に\n"
         "                         収まらない総容量は書き込む前に断る。B は大文字 (b は\n"
         "                         ビットとして断る)。ファイルの整数倍でない端数は測らない\n"
         "  --repeat N             繰り返し: 1 3 5 10\n"
         "  --wait S               各段階の間の待機 (秒): 0 から 10\n"
         "  --read-percent P       読み込む割合 (%): 0.1 0.2 0.5 1 2 5 10 20 50 100\n"
         "  --block SIZE           1 回に読み書きする大きさ: 1KB または 1MB (1MB "
         "以上のファイルのみ)\n"
         "  --read-only            書き込まず、前回残したファイルを読み込むだけにする\n"
         "  --random               ランダムな順で読み込む\n"
         "  --verify               各セクタに印を付けて書き、読み込んだデータを検証する\n"
         "                         (検証の時間は速度に含めない。不良があれば終了コード 3)\n"
         "  --delete / --keep      終了時にファイルとフォルダを削除する / 残す\n"
         "  --priority CLASS       優先度: Idle Normal High Realtime\n"
         "  --settings FILE        既定値をこの設定ファイルから読む (既定: "
         "ウィンドウ版の設定ファイル)\n"
         "  --report FILE.html     グラフ付きのレポート (1 つの HTML ファイル) を書く\n"
         "  --no-history           この測定を履歴に残さない\n"
         "  --json-file FILE       JSON の結果をこのファイルに書く (標準出力には表を書く)\n"
         "  --label TEXT           結果の JSON に残すラベル\n"
         "  --host NAME            結果に残すホスト名 (既定: このコンピュータの名前)\n"
         "  --start-at TIME        この時刻に測定を始める: UTC の日時 (2026-12-10T05:40:12Z)\n"
         "                         か 1970 年からの秒数。24 時間より先や 1 秒より前は不可\n"
         "  --clock-offset SECONDS このホストの時計と制御ノードの時計の差 (このホスト − "
         "制御ノード、\n"
         "                         秒、例 -20.5) を結果の JSON に残す。--merge はこれで各ホストの\n"
         "                         時刻を制御ノードの時計にそろえる (-86400 から 86400 まで)\n"
         "  --per-host             テストフォルダを TRW_TEMP-ホスト名 にする (共有フォルダ用。\n"
         "                         ホスト名の / \\ : * ? \" < > | 制御文字と \"..\" は _ になる)\n"
         "  --history [--match S] [--json]\n"
         "                         履歴を新しい順に表示する (S: デバイスかフォルダで絞り込む)。\n"
         "                         --json では {\"runs\": [...], \"damaged\": N} を書く\n"
         "                         (runs は履歴の行と同じ形の測定、新しい順)\n"
         "  --merge FILE... [--json] [--report FILE.html]\n"
         "                         各ホストの --json-file の文書をまとめる: ホストごとの速度、\n"
         "                         全ホストが同時に動いた区間の合計、全ファイルの百分位数\n"
         "  --fill                 空き容量全体の検査: 空き容量から余裕 (0.5% と 16MB の大きい方)\n"
         "                         を除いた分をテストファイルで埋め、1 回だけ名前順にすべて\n"
         "                         読み戻して検証する。--total --repeat --read-percent\n"
         "                         --read-only --random とは使えない。\n"
         "                         ファイルは終了時に削除する (--keep "
         "で残す。中断したときは必ず削除)\n"
         "  --no-file-times        ファイルごとの時間を取らない (その負荷を確かめるため)\n"
         "  --json                 結果を JSON で標準出力に書く (UTF-8 でないバイト B は\n"
         "                         文字列中で \\udcBB と書く: Python の surrogateescape)。\n"
         "                         時間や速度はいつも小数点付き (500.0)、回数は整数。\n"
         "                         outcome の box と message は中止でないとき \"\"\n"
         "  --help                 この説明を表示する\n"
         "  --version              バージョンを表示する\n"
         "\n"
         "同じオプションを二度指定することはできません。\n"
         "終了コード: 0 完了, 1 メッセージで中止, 2 使い方の誤り, 130 中断 (Ctrl+C),\n"
         "            3 完了したが読み込んだデータが検証に通らなかった (--verify)\n"
         "出力は UTF-8 です。Windows ではファイルやパイプへの出力の行末が CR LF になり、\n"
         "コンソールには日本語がそのまま表示されます。\n";
}

}  // namespace tarnwell::cli
