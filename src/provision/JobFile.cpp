#include "provision/JobFile.h"

#include "base/RegularFile.h"
#include "provision/JobError.h"

namespace lum {

std::string ReadJobFile(const std::string& path) {
  try {
    return ReadWholeFile(path, kMaxJobFileBytes);
  } catch (const FileError& e) {
    throw JobError(e.what());
  }
}

}  // namespace lum
