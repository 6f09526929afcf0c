#include "tools/album-service/CommandLine.h"

#include <charconv>
#include <functional>
#include <map>

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
    "      settings: latency_ms=N status=N garbage=1 close_after=N times=N; PATH is an\n"
    "      endpoint path, \"/download/\" or \"/photos/\" for all files there, or \"*\"\n"
    "  --offer-version V      version announced by /client/client_updateinfo.cfg\n"
    "  --host-patch-version N version offered by /client/host_updateinfo.xml (default 0)\n"
    "  --max-body-kb N        largest request body accepted (default 65536)\n";

namespace {

constexpr long long kMaxKb = 1LL << 40;

// Walks argv; each option's action takes its values from here.
class ArgumentReader {
 public:
  ArgumentReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}
  bool Done() const { return index_ >= argc_; }
  std::string Next() { return argv_[index_++]; }
  bool Value(const std::string& option, std::string& out) {
    if (Done()) return Fail(option + " needs a value");
    out = Next();
    return true;
  }
  bool Number(const std::string& option, long long max, long long& out) {
    std::string text;
    if (!Value(option, text)) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), out);
    if (result.ec == std::errc() && result.ptr == text.data() + text.size() && out >= 0 && out <= max)
      return true;
    return Fail(option + ": not a number in range: " + text);
  }
  bool Fail(const std::string& message) {
    error = message;
    return false;
  }
  std::string error;

 private:
  int argc_;
  const char* const* argv_;
  int index_ = 1;
};

template <typename T>
bool NumberInto(ArgumentReader& args, const std::string& option, long long max, std::optional<T>& out) {
  long long value = 0;
  if (!args.Number(option, max, value)) return false;
  out = static_cast<T>(value);
  return true;
}

}  // namespace

bool CommandLine::Parse(int argc, const char* const* argv, std::string& error) {
  UserSpec limits;
  ArgumentReader args(argc, argv);
  using Action = std::function<bool(const std::string&)>;
  auto flag = [](bool& target) { return [&target](const std::string&) { return target = true; }; };
  auto text = [&args](std::optional<std::string>& target) {
    return [&args, &target](const std::string& option) {
      std::string value;
      if (!args.Value(option, value)) return false;
      target = value;
      return true;
    };
  };
  auto number = [&args](auto& target, long long max) {
    return [&args, &target, max](const std::string& option) { return NumberInto(args, option, max, target); };
  };
  auto list = [&args](std::vector<std::string>& target) {
    return [&args, &target](const std::string& option) {
      std::string value;
      if (!args.Value(option, value)) return false;
      target.push_back(value);
      return true;
    };
  };
  std::optional<std::string> data, patch_version;
  bool active = false, inactive = false;
  const std::map<std::string, Action> actions = {
      {"--help", flag(help)},
      {"-h", flag(help)},
      {"--port", number(port, 65535)},
      {"--data", text(data)},
      {"--seed-demo", flag(seed_demo)},
      {"--add-user",
       [&](const std::string& option) {
         UserSpec spec;
         if (!args.Value(option, spec.name) || !args.Value(option, spec.password)) return false;
         if (spec.name.empty() || spec.password.empty())
           return args.Fail("--add-user needs a non-empty name and password");
         add_user = spec;
         return true;
       }},
      {"--nickname", text(limits.nickname)},
      {"--inactive", flag(inactive)},
      {"--active", flag(active)},
      {"--leave-kb", number(limits.month_kb, kMaxKb)},
      {"--max-photo", number(limits.max_photo, 1000000)},
      {"--max-space-kb", number(limits.max_space_kb, kMaxKb)},
      {"--max-single-kb", number(limits.max_single_kb, kMaxKb)},
      {"--list", flag(list_inventory)},
      {"--forbidden-word", list(forbidden_words)},
      {"--fault", list(faults)},
      {"--offer-version", text(offered_version)},
      {"--host-patch-version", number(host_patch_number, 1LL << 62)},
      {"--max-body-kb", number(max_body_kb, 4LL * 1024 * 1024)},
  };
  while (!args.Done()) {
    std::string option = args.Next();
    auto action = actions.find(option);
    if (action == actions.end()) args.Fail("unknown option " + option);
    if (action == actions.end() || !action->second(option)) {
      error = args.error;
      return false;
    }
  }
  if (data) data_dir = *data;
  if (active && inactive) {
    error = "--active and --inactive exclude each other";
    return false;
  }
  if (active || inactive) limits.active = active;
  return Check(limits, error);
}

bool CommandLine::Check(const UserSpec& limits, std::string& error) {
  bool has_limits = limits.nickname || limits.active || limits.month_kb || limits.max_photo ||
                    limits.max_space_kb || limits.max_single_kb;
  if (has_limits && !add_user) {
    error = "account settings need --add-user";
    return false;
  }
  if (add_user) {
    std::string name = add_user->name, password = add_user->password;
    *add_user = limits;
    add_user->name = name;
    add_user->password = password;
  }
  if (max_body_kb && *max_body_kb == 0) {
    error = "--max-body-kb must be positive";
    return false;
  }
  if (!help && data_dir.empty()) {
    error = "--data DIR is required";
    return false;
  }
  if (!help && !port && !seed_demo && !add_user && !list_inventory) {
    error = "nothing to do: give --port, --seed-demo, --add-user or --list";
    return false;
  }
  return true;
}

}  // namespace albumservice
