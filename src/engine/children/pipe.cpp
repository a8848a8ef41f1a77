#include "engine/children/pipe.h"

namespace Utils {

bool Pipe::Create() {
  Close();
  SECURITY_ATTRIBUTES inheritable = {};
  inheritable.nLength = sizeof inheritable;
  inheritable.bInheritHandle = TRUE;
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, &inheritable, 0)) return false;
  read_.reset(read);
  write_.reset(write);
  return true;
}

void Pipe::Close() {
  write_.reset();
  read_.reset();
}

}  // namespace Utils
