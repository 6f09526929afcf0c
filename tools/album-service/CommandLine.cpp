#include "tools/album-service/CommandLine.h"

#include <charconv>

namespace albumservice {

const char* const kUsage =
    "usage: album-service --data DIR [--port N] [options]\n"
    "  --port N               serve on 127.0.0.1:N until SIGINT/SIGTERM (0: any free port)\n"
    "  --data DIR             data folder (database, pictures, installers/, requests.log)\n"
    "  --seed-demo            create the account demo/demo with two albums when missing\n"
    "  --add-user NAME PASS   create or update an account, then exit unless --port is given\n"
    "      --nickname TEXT --inactive --active --leave-kb N (monthly space)\n"
    "      --max-photo N (per album) --max-space-kb N --max-single-kb N\n"
    "  --list                 print accounts, albums, pictures and counters, then exit\n"
    "  --forbidden-word WORD  refuse this word in tags and album names (repeatable)\n"
    "  --fault PATH:SETTINGS  e.g. /interface/pic_upload.php:close_after=1000,times=1\n"
    "      settings: latency_ms=N status=N garbage=1 close_after=N times=N\n"
    "  --offer-version V      version announced by /client/client_updateinfo.cfg\n"
    "  --host-patch-version N version offered by /client/host_updateinfo.xml (default 0)\n"
    "  --max-body-kb N        largest request body accepted (default 65536)\n";

namespace {

bool ToNumber(const std::string& text, long long max, long long& out) {
  auto result = std::from_chars(text.data(), text.data() + text.size(), out);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && out >= 0 && out <= max;
}

}  // namespace

bool CommandLine::Parse(int argc, const char* const* argv, std::string& error) {
  UserSpec limits;
  std::optional<bool> active;
  int i = 1;
  auto next = [&](const std::string& option, std::string& value) {
    if (i + 1 >= argc) {
      error = option + " needs a value";
      return false;
    }
    value = argv[++i];
    return true;
  };
  auto number = [&](const std::string& option, long long max, long long& out) {
    std::string value;
    if (!next(option, value)) return false;
    if (ToNumber(value, max, out)) return true;
    error = option + ": not a number in range: " + value;
    return false;
  };
  for (; i < argc; ++i) {
    std::string option = argv[i];
    std::string value;
    long long n = 0;
    constexpr long long kMaxKb = 1LL << 40;
    if (option == "--help" || option == "-h") {
      help = true;
    } else if (option == "--port") {
      if (!number(option, 65535, n)) return false;
      port = static_cast<int>(n);
    } else if (option == "--data") {
      if (!next(option, value)) return false;
      data_dir = value;
    } else if (option == "--seed-demo") {
      seed_demo = true;
    } else if (option == "--add-user") {
      UserSpec spec;
      if (!next(option, spec.name) || !next(option, spec.password)) return false;
      if (spec.name.empty() || spec.password.empty()) {
        error = "--add-user needs a non-empty name and password";
        return false;
      }
      add_user = spec;
    } else if (option == "--nickname") {
      if (!next(option, value)) return false;
      limits.nickname = value;
    } else if (option == "--inactive" || option == "--active") {
      active = option == "--active";
    } else if (option == "--leave-kb") {
      if (!number(option, kMaxKb, n)) return false;
      limits.month_kb = n;
    } else if (option == "--max-photo") {
      if (!number(option, 1000000, n)) return false;
      limits.max_photo = n;
    } else if (option == "--max-space-kb") {
      if (!number(option, kMaxKb, n)) return false;
      limits.max_space_kb = n;
    } else if (option == "--max-single-kb") {
      if (!number(option, kMaxKb, n)) return false;
      limits.max_single_kb = n;
    } else if (option == "--list") {
      list = true;
    } else if (option == "--forbidden-word") {
      if (!next(option, value)) return false;
      forbidden_words.push_back(value);
    } else if (option == "--fault") {
      if (!next(option, value)) return false;
      faults.push_back(value);
    } else if (option == "--offer-version") {
      if (!next(option, value)) return false;
      offered_version = value;
    } else if (option == "--host-patch-version") {
      if (!number(option, 1LL << 62, n)) return false;
      host_patch_version = std::to_string(n);
    } else if (option == "--max-body-kb") {
      if (!number(option, 4LL * 1024 * 1024, n) || n == 0) {
        if (error.empty()) error = "--max-body-kb must be positive";
        return false;
      }
      max_body_kb = static_cast<size_t>(n);
    } else {
      error = "unknown option " + option;
      return false;
    }
  }
  bool has_limits = limits.nickname || active || limits.month_kb || limits.max_photo || limits.max_space_kb ||
                    limits.max_single_kb;
  if (has_limits && !add_user) {
    error = "account settings need --add-user";
    return false;
  }
  if (add_user) {
    add_user->nickname = limits.nickname;
    add_user->active = active;
    add_user->month_kb = limits.month_kb;
    add_user->max_photo = limits.max_photo;
    add_user->max_space_kb = limits.max_space_kb;
    add_user->max_single_kb = limits.max_single_kb;
  }
  if (!help && data_dir.empty()) {
    error = "--data DIR is required";
    return false;
  }
  if (!help && !port && !seed_demo && !add_user && !list) {
    error = "nothing to do: give --port, --seed-demo, --add-user or --list";
    return false;
  }
  return true;
}

}  // namespace albumservice
