#pragma once
// An anonymous pipe that connects the engine to a child program's standard output.
#include <windows.h>

#include "base/unique_resource.h"

namespace Utils {

class Pipe {
public:
  Pipe() = default;
  Pipe(Pipe&&) = default;
  Pipe& operator=(Pipe&&) = default;

  // Makes the pipe with the default buffer size and both ends inheritable; whoever keeps an end
  // to itself clears that end's inheritance. False when the pipe cannot be made (GetLastError
  // tells why); then neither end is held.
  bool Create();

  // Closes each end that is held.
  void Close();
  void CloseReadEnd() { read_.reset(); }
  void CloseWriteEnd() { write_.reset(); }

  HANDLE ReadEnd() const { return read_.get(); }
  HANDLE WriteEnd() const { return write_.get(); }

private:
  Utils::UniqueHandle write_;
  Utils::UniqueHandle read_;
};

}  // namespace Utils
