#include "platform/file_system.h"

namespace volumist::platform {

const char* FileErrorText(FileError error) {
  switch (error) {
    case FileError::kNone: return "no error";
    case FileError::kExists: return "the name is taken";
    case FileError::kNotFound: return "no such file or folder";
    case FileError::kAccessDenied: return "access denied";
    case FileError::kReadOnly: return "read-only file system";
    case FileError::kNoSpace: return "no space left on the device";
    case FileError::kNotRegularFile: return "not a regular file";
    case FileError::kBusy: return "another writer is using the file";
    case FileError::kIoError: return "input/output error";
    case FileError::kOther: break;
  }
  return "the operation failed";
}

}  // namespace volumist::platform
