// How the tool ends when it is interrupted.
#pragma once

namespace tamrovi::cli {

// From now on SIGINT, SIGTERM and SIGHUP end the tool with status 128 + the
// signal's number, after removing the temporary files of the outputs being
// written, so an interrupted run leaves every output as it was. A write past
// the file-size limit fails with its reason instead of killing the tool
// (SIGXFSZ is ignored). Call before any other thread starts.
void EndCleanlyOnInterruption();

}  // namespace tamrovi::cli
