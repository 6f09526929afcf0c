#include "tools/tessel-upload/UploadOptions.h"

#include <string_view>

namespace tessel_upload {

const char* const kUsageText =
    "usage: tessel-upload [options] PATH...\n"
    "Uploads pictures (files, or the pictures directly in folders) into an album.\n"
    "\n"
    "Login (without -u/-p the credentials stored by --remember or the login window):\n"
    "  -u, --user NAME          login name\n"
    "  -p, --password PASS      password\n"
    "      --password-stdin     read the password from the first line of standard input\n"
    "      --remember           store the credentials with automatic login on\n"
    "Information (print and exit):\n"
    "      --list-albums        the albums of the user: id and name\n"
    "      --quota              the month's remaining and used space and the limits\n"
    "Album and tags:\n"
    "  -a, --album NAME         upload into the album of that name\n"
    "      --album-id ID        upload into the album of that id\n"
    "      --create-album NAME  create a new album and upload into it\n"
    "      --album-desc TEXT    description of the new album\n"
    "      --album-password PW  protect the new album with a password\n"
    "  -t, --tags TEXT          tags for every picture, separated by spaces or commas\n"
    "      --keep-original      upload pictures unchanged (only JPEG, PNG and GIF up to 5 MB)\n"
    "  -y, --yes                upload the front of the queue when the album cannot take it all\n"
    "Output and service:\n"
    "      --json               one JSON object per line per event\n"
    "      --lines              one line per picture even on a terminal\n"
    "      --service URL        replace the host of every endpoint, e.g. http://127.0.0.1:18741\n"
    "  -h, --help               this text\n"
    "      --version            the product version\n"
    "\n"
    "Exit status: 0 every picture uploaded, 1 some failed or cancelled, 2 usage, login or album errors.\n";

namespace {

// Options that take a value, with where the value goes.
struct ValueOption {
  std::string_view shortName;
  std::string_view longName;
  void (*store)(UploadOptions*, std::string);
};

const ValueOption kValueOptions[] = {
    {"-u", "--user", [](UploadOptions* o, std::string v) { o->user = std::move(v); }},
    {"-p", "--password", [](UploadOptions* o, std::string v) { o->password = std::move(v); }},
    {"-a", "--album", [](UploadOptions* o, std::string v) { o->albumName = std::move(v); }},
    {"", "--album-id", [](UploadOptions* o, std::string v) { o->albumId = std::move(v); }},
    {"", "--create-album", [](UploadOptions* o, std::string v) { o->createAlbum = std::move(v); }},
    {"", "--album-desc", [](UploadOptions* o, std::string v) { o->albumDescription = std::move(v); }},
    {"", "--album-password", [](UploadOptions* o, std::string v) { o->albumPassword = std::move(v); }},
    {"-t", "--tags", [](UploadOptions* o, std::string v) { o->tags = std::move(v); }},
    {"", "--service", [](UploadOptions* o, std::string v) { o->service = std::move(v); }},
};

// Flags without a value.
struct FlagOption {
  std::string_view shortName;
  std::string_view longName;
  void (*set)(UploadOptions*);
};

const FlagOption kFlagOptions[] = {
    {"", "--password-stdin", [](UploadOptions* o) { o->passwordFromStdin = true; }},
    {"", "--remember", [](UploadOptions* o) { o->remember = true; }},
    {"", "--list-albums", [](UploadOptions* o) { o->listAlbums = true; }},
    {"", "--quota", [](UploadOptions* o) { o->showQuota = true; }},
    {"", "--keep-original", [](UploadOptions* o) { o->keepOriginal = true; }},
    {"-y", "--yes", [](UploadOptions* o) { o->yes = true; }},
    {"", "--json", [](UploadOptions* o) { o->output = OutputMode::kJson; }},
    {"", "--lines", [](UploadOptions* o) { o->output = OutputMode::kLines; }},
    {"-h", "--help", [](UploadOptions* o) { o->help = true; }},
    {"", "--version", [](UploadOptions* o) { o->version = true; }},
};

bool Matches(std::string_view arg, std::string_view shortName, std::string_view longName) {
  return arg == longName || (!shortName.empty() && arg == shortName);
}

// Takes one option at argv[*i]; false with an error for an unknown one.
bool TakeOption(int argc, const char* const* argv, int* i, UploadOptions* options, std::string* error) {
  std::string_view arg = argv[*i];
  std::string inlineValue;
  bool hasInline = false;
  if (arg.starts_with("--") && arg.find('=') != std::string_view::npos) {
    inlineValue = std::string(arg.substr(arg.find('=') + 1));
    arg = arg.substr(0, arg.find('='));
    hasInline = true;
  }
  for (const ValueOption& option : kValueOptions) {
    if (!Matches(arg, option.shortName, option.longName)) continue;
    if (hasInline) {
      option.store(options, inlineValue);
    } else if (*i + 1 < argc) {
      option.store(options, argv[++*i]);
    } else {
      *error = std::string(arg) + " needs a value";
      return false;
    }
    return true;
  }
  for (const FlagOption& option : kFlagOptions) {
    if (!Matches(arg, option.shortName, option.longName) || hasInline) continue;
    option.set(options);
    return true;
  }
  *error = "unknown option " + std::string(argv[*i]);
  return false;
}

bool CheckCombination(const UploadOptions& options, std::string* error) {
  int albumChoices =
      options.albumName.has_value() + options.albumId.has_value() + options.createAlbum.has_value();
  if (albumChoices > 1) {
    *error = "choose one of -a/--album, --album-id and --create-album";
  } else if (options.password && options.passwordFromStdin) {
    *error = "give the password either with -p or with --password-stdin";
  } else if ((!options.albumDescription.empty() || options.albumPassword) && !options.createAlbum) {
    *error = "--album-desc and --album-password belong to --create-album";
  } else if (options.service && !options.service->starts_with("http://")) {
    *error = "--service needs an http:// address";
  } else if (!options.listAlbums && !options.showQuota && options.paths.empty()) {
    *error = "no pictures given";
  } else if (!options.listAlbums && !options.showQuota && albumChoices == 0) {
    *error = "choose an album with -a/--album, --album-id or --create-album (see --list-albums)";
  } else {
    return true;
  }
  return false;
}

}  // namespace

bool ParseOptions(int argc, const char* const* argv, UploadOptions* options, std::string* error) {
  bool onlyPaths = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      options->paths.emplace_back(arg);
    } else if (arg == "--") {
      onlyPaths = true;
    } else if (!TakeOption(argc, argv, &i, options, error)) {
      return false;
    }
  }
  if (options->help || options->version) return true;
  return CheckCombination(*options, error);
}

}  // namespace tessel_upload
