// tessel-upload: uploads pictures from a terminal, a script or a server into
// an album of the album service, through the control's own session, protocol,
// dispatcher and upload code.
#include <cstdio>

#include "BuildConfig.h"
#include "tools/tessel-upload/EventOutput.h"
#include "tools/tessel-upload/InterruptWatcher.h"
#include "tools/tessel-upload/Terminal.h"
#include "tools/tessel-upload/UploadOptions.h"
#include "tools/tessel-upload/UploadRun.h"

int main(int argc, char** argv) {
  using namespace tessel_upload;
  // Before any thread exists, so that every thread inherits the mask.
  CInterruptWatcher::BlockSignals();

  UploadOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "tessel-upload: %s\n%s", error.c_str(), kUsageText);
    return kExitRefused;
  }
  if (options.help) {
    std::fputs(kUsageText, stdout);
    return kExitUploaded;
  }
  if (options.version) {
    std::printf("tessel-upload %s\n", buildconfig::kProductVersion);
    return kExitUploaded;
  }

  CEventOutput::Form form = CEventOutput::Form::kLines;
  if (options.output == OutputMode::kJson) {
    form = CEventOutput::Form::kJson;
  } else if (options.output == OutputMode::kAuto && IsTerminal(stdout)) {
    form = CEventOutput::Form::kLive;
  }
  CEventOutput output(form, stdout, stderr);
  CInterruptWatcher watcher;
  CUploadRun run(std::move(options), output, &watcher);
  return run.Run();
}
