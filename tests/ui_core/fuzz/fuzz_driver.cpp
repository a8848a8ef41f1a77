// A small mutation fuzzer for the skin readers, run as an ordinary test.
//
// Each target gets its seed corpus (tests/ui_core/fuzz/corpus/<target>/) and every input that
// ever crashed it (tests/ui_core/fuzz/regressions/<target>/) replayed, then a deterministic
// stream of mutated inputs: SKINUI_FUZZ_RUNS inputs per target (100000 by default),
// from the seed SKINUI_FUZZ_SEED; SKINUI_FUZZ_TARGET limits a run to one target.
//
// SKINUI_FUZZ_LAST_INPUT names a file that receives each mutated input before it is tried, for
// the deaths that no handler sees (Wine's own heap checks abort the process from below it).
//
// Each input sits at the very end of a committed block with an inaccessible page right behind
// it, so a read past its end faults at once. A fault, an abort or an input that runs for more
// than a minute has the input written to the regression folder before the process dies.
#include "fuzz_targets.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kMaxInput = 64 * 1024;
constexpr DWORD kHangSeconds = 60;

struct Target {
  const char* name;
  int (*run)(const uint8_t*, size_t);
  void (*fixup)(Bytes*);   // optional: repairs checksums so mutations reach deeper
  int defaultRuns;
  void (*mutate)(Bytes*, uint64_t);  // optional: mutations that know the format (random seed)
};

uint64_t Le64(const Bytes& b, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}
void PutLe32(Bytes* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A 7z archive guards its end header with two CRCs; without repair nearly every mutation of the
// headers stops at the first check. Half of the 7z inputs get them recomputed.
void Fix7zChecksums(Bytes* b) {
  static const uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
  if (b->size() < 32 || std::memcmp(b->data(), kSignature, 6) != 0) return;
  const uint64_t offset = Le64(*b, 12), size = Le64(*b, 20);
  if (offset <= b->size() && size <= b->size() && 32 + offset + size <= b->size()) {
    PutLe32(b, 28, static_cast<uint32_t>(crc32(0, b->data() + 32 + offset, static_cast<uInt>(size))));
  }
  PutLe32(b, 8, static_cast<uint32_t>(crc32(0, b->data() + 12, 20)));
}

std::vector<Target> Targets() {
  return {
      {"zip", FuzzZipOne, nullptr, 100000},
      {"7z", Fuzz7zOne, Fix7zChecksums, 100000},
      {"xml", FuzzXmlOne, nullptr, 100000},
      {"imagedesc", FuzzImageDescOne, nullptr, 20000},
      {"markup", FuzzMarkupOne, nullptr, 20000},
      {"skin", FuzzSkinBuilderOne, nullptr, 10000, MutateSkinXml},
  };
}

// ---------------------------------------------------------------------------------------------
// Crash capture. Everything the handlers touch is prepared before the input runs; they allocate
// nothing.

struct CurrentInput {
  const uint8_t* data = nullptr;
  size_t size = 0;
  wchar_t folder[1024] = {};      // regressions/<target>
  wchar_t parent[1024] = {};      // regressions
  volatile LONG running = 0;
  volatile LONG sequence = 0;
  volatile LONG saved = 0;
};
CurrentInput g_input;

void WriteStderr(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void SaveCurrentInput(const wchar_t* kind) {
  if (!g_input.running || InterlockedExchange(&g_input.saved, 1)) return;
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < g_input.size; ++i) hash = (hash ^ g_input.data[i]) * 1099511628211ull;
  wchar_t path[1200];
  _snwprintf(path, 1200, L"%ls\\%ls-%016llx", g_input.folder, kind, static_cast<unsigned long long>(hash));
  path[1199] = L'\0';
  CreateDirectoryW(g_input.parent, nullptr);
  CreateDirectoryW(g_input.folder, nullptr);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, g_input.data, static_cast<DWORD>(g_input.size), &written, nullptr);
    CloseHandle(file);
  }
  char message[1400];
  _snprintf(message, sizeof(message), "\nfuzz: %ls; input saved as %ls\n", kind, path);
  message[sizeof(message) - 1] = '\0';
  WriteStderr(message);
}

bool IsFatal(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case 0xC0000374:   // heap corruption
    case 0xC0000409:   // stack buffer overrun
      return true;
    default:
      return false;
  }
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* info) {
  if (IsFatal(info->ExceptionRecord->ExceptionCode)) SaveCurrentInput(L"crash");
  return EXCEPTION_CONTINUE_SEARCH;
}

void OnAbort(int) {
  SaveCurrentInput(L"abort");
  _exit(3);
}

// The CPU time the fuzzing thread has used, in milliseconds.
ULONGLONG ThreadCpuMs(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 10000;
}

// An input counts as a hang when the fuzzing thread spends kHangSeconds of its own processor time
// on it. Wall time would call a slow input on a loaded or emulated machine a hang: there the
// thread may wait for a processor longer than any input takes to run. One that blocks (spends no
// processor time) counts as a hang after ten times as long on the clock.
DWORD WINAPI Watchdog(void* fuzzingThread) {
  const HANDLE thread = static_cast<HANDLE>(fuzzingThread);
  LONG lastSequence = -1;
  ULONGLONG inputStartedMs = 0;
  DWORD stuckSeconds = 0;
  for (;;) {
    Sleep(1000);
    const LONG sequence = g_input.sequence;
    const ULONGLONG cpuMs = ThreadCpuMs(thread);
    if (!g_input.running || sequence != lastSequence) {
      inputStartedMs = cpuMs;
      stuckSeconds = 0;
    } else if (cpuMs - inputStartedMs >= kHangSeconds * 1000ULL ||
               ++stuckSeconds >= 10 * kHangSeconds) {
      SaveCurrentInput(L"hang");
      TerminateProcess(GetCurrentProcess(), 4);
    }
    lastSequence = sequence;
  }
}

void InstallCrashCapture() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  ULONG reserve = 64 * 1024;   // room for the handler after a stack overflow
  SetThreadStackGuarantee(&reserve);
  AddVectoredExceptionHandler(1, OnException);
  std::signal(SIGABRT, OnAbort);
  // The watchdog keeps the fuzzing thread's handle for the life of the process.
  HANDLE fuzzing = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &fuzzing,
                  THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0);
  HANDLE thread = CreateThread(nullptr, 0, Watchdog, fuzzing, 0, nullptr);
  if (thread) CloseHandle(thread);
}

// An input placed so that its last byte is the last readable byte.
class GuardedInput {
public:
  GuardedInput() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    usable_ = (kMaxInput + page_ - 1) / page_ * page_;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, usable_ + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_) VirtualProtect(base_ + usable_, page_, PAGE_NOACCESS, &old);
  }
  ~GuardedInput() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedInput(const GuardedInput&) = delete;
  GuardedInput& operator=(const GuardedInput&) = delete;
  bool ok() const { return base_ != nullptr; }
  const uint8_t* Place(const Bytes& bytes) {
    uint8_t* at = base_ + usable_ - bytes.size();
    if (!bytes.empty()) std::memcpy(at, bytes.data(), bytes.size());
    return at;
  }

private:
  size_t page_ = 4096, usable_ = 0;
  uint8_t* base_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Files

std::wstring FuzzFolder() {
  const char* source = std::getenv("TESSMARK_SOURCE_DIR");
  return source ? TestSupport::UnixToWinePath(source) + L"\\tests\\ui_core\\fuzz" : std::wstring();
}

std::vector<Bytes> ReadFolder(const std::wstring& folder, std::vector<std::wstring>* names = nullptr) {
  std::vector<Bytes> inputs;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return inputs;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string bytes;
    if (!TestSupport::ReadBytes(folder + L"\\" + data.cFileName, &bytes)) continue;
    if (bytes.size() > kMaxInput) bytes.resize(kMaxInput);
    inputs.emplace_back(bytes.begin(), bytes.end());
    if (names) names->push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return inputs;
}

void PrepareCapture(const Target& target) {
  const std::wstring parent = FuzzFolder() + L"\\regressions";
  const std::wstring folder = parent + L"\\" + TestSupport::FromUtf8(target.name);
  wcsncpy(g_input.parent, parent.c_str(), 1023);
  wcsncpy(g_input.folder, folder.c_str(), 1023);
}

// Where SKINUI_FUZZ_LAST_INPUT points (a Unix path is taken as one of the Wine drive), or empty.
std::wstring LastInputPath() {
  const char* path = std::getenv("SKINUI_FUZZ_LAST_INPUT");
  if (path == nullptr || *path == '\0') return std::wstring();
  return path[0] == '/' ? TestSupport::UnixToWinePath(path) : TestSupport::FromUtf8(path);
}

// Written through and closed before the input runs, so that it survives however the process ends.
void WriteLastInput(const std::wstring& path, const Bytes& input) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (!input.empty()) WriteFile(file, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  CloseHandle(file);
}

int RunOne(const Target& target, GuardedInput* guarded, const Bytes& input) {
  g_input.data = guarded->Place(input);
  g_input.size = input.size();
  InterlockedIncrement(&g_input.sequence);
  g_input.running = 1;
  const int result = target.run(g_input.data, g_input.size);
  g_input.running = 0;
  return result;
}

// ---------------------------------------------------------------------------------------------
// Mutations

class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {   // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }

private:
  uint64_t state_;
};

// Values that tend to break size and offset arithmetic.
const uint64_t kInteresting[] = {0,          1,          2,          0x7F,       0x80,
                                 0xFF,       0x100,      0x7FFF,     0x8000,     0xFFFF,
                                 0x10000,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x100000000ull,
                                 0x7FFFFFFFFFFFFFFFull,  0xFFFFFFFFFFFFFFFFull,  0xFFFFFFFFFFFFFFF0ull};

Bytes Mutate(const Bytes& seed, const std::vector<Bytes>& corpus, Random* rng) {
  Bytes out = seed;
  const size_t steps = 1 + rng->Below(4);
  for (size_t step = 0; step < steps; ++step) {
    const size_t size = out.size();
    switch (rng->Below(8)) {
      case 0:   // bit flip
        if (size) out[rng->Below(size)] ^= static_cast<uint8_t>(1u << rng->Below(8));
        break;
      case 1:   // byte set
        if (size) out[rng->Below(size)] = rng->Below(2) ? static_cast<uint8_t>(rng->Next())
                                                        : static_cast<uint8_t>(kInteresting[rng->Below(6)]);
        break;
      case 2: {   // a little-endian number of 1, 2, 4 or 8 bytes
        const size_t width = size_t{1} << rng->Below(4);
        if (size < width) break;
        const size_t at = rng->Below(size - width + 1);
        uint64_t value = kInteresting[rng->Below(sizeof(kInteresting) / sizeof(kInteresting[0]))];
        if (rng->Below(4) == 0) value += rng->Below(3) - 1;
        for (size_t i = 0; i < width; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
        break;
      }
      case 3: {   // insert random bytes or a copy of a chunk
        const size_t at = rng->Below(size + 1);
        Bytes chunk(1 + rng->Below(16));
        if (size && rng->Below(2)) {
          const size_t from = rng->Below(size);
          chunk.assign(out.begin() + from, out.begin() + from + std::min(chunk.size(), size - from));
        } else {
          for (uint8_t& b : chunk) b = static_cast<uint8_t>(rng->Next());
        }
        out.insert(out.begin() + at, chunk.begin(), chunk.end());
        break;
      }
      case 4: {   // delete a range
        if (!size) break;
        const size_t at = rng->Below(size);
        const size_t n = 1 + rng->Below(std::min<size_t>(64, size - at));
        out.erase(out.begin() + at, out.begin() + at + n);
        break;
      }
      case 5: {   // splice with another input
        const Bytes& other = corpus[rng->Below(corpus.size())];
        const size_t cut = rng->Below(size + 1), from = rng->Below(other.size() + 1);
        out.resize(cut);
        out.insert(out.end(), other.begin() + from, other.end());
        break;
      }
      case 6:   // truncate
        out.resize(rng->Below(size + 1));
        break;
      case 7: {   // overwrite a chunk with another part of the input
        if (size < 2) break;
        const size_t from = rng->Below(size), to = rng->Below(size);
        const size_t n = 1 + rng->Below(std::min<size_t>(32, size - std::max(from, to)));
        std::memmove(&out[to], &out[from], n);
        break;
      }
    }
  }
  if (out.size() > kMaxInput) out.resize(kMaxInput);
  return out;
}

uint64_t EnvNumber(const char* name, uint64_t fallback) {
  const char* text = std::getenv(name);
  return text && *text ? std::strtoull(text, nullptr, 0) : fallback;
}

bool Selected(const Target& target) {
  const char* only = std::getenv("SKINUI_FUZZ_TARGET");
  return !only || !*only || std::strcmp(only, target.name) == 0;
}

const Target* FindTarget(const char* name) {
  static const std::vector<Target> targets = Targets();
  for (const Target& t : targets) {
    if (std::strcmp(t.name, name) == 0) return &t;
  }
  return nullptr;
}

void RunMutations(const char* name) {
  const Target* target = FindTarget(name);
  ASSERT_NE(target, nullptr) << name;
  if (!Selected(*target)) GTEST_SKIP() << "SKINUI_FUZZ_TARGET excludes " << name;
  const std::vector<Bytes> corpus = ReadFolder(FuzzFolder() + L"\\corpus\\" + TestSupport::FromUtf8(name));
  ASSERT_FALSE(corpus.empty()) << "no seed corpus for " << name;
  GuardedInput guarded;
  ASSERT_TRUE(guarded.ok());
  InstallCrashCapture();
  PrepareCapture(*target);

  const uint64_t runs = EnvNumber("SKINUI_FUZZ_RUNS", static_cast<uint64_t>(target->defaultRuns));
  uint64_t seed = EnvNumber("SKINUI_FUZZ_SEED", 0x5EED2024ull);
  for (const char* c = name; *c; ++c) seed = seed * 131 + static_cast<uint8_t>(*c);
  Random rng(seed);
  const std::wstring lastInput = LastInputPath();
  uint64_t accepted = 0;
  const DWORD start = GetTickCount();
  for (uint64_t i = 0; i < runs; ++i) {
    const Bytes& seedInput = corpus[rng.Below(corpus.size())];
    // A target that knows its format gets its own mutations for half of the inputs.
    Bytes input = target->mutate && rng.Below(2) ? seedInput : Mutate(seedInput, corpus, &rng);
    if (target->mutate && input == seedInput) target->mutate(&input, rng.Next());
    if (target->fixup && rng.Below(2)) target->fixup(&input);
    if (!lastInput.empty()) WriteLastInput(lastInput, input);
    if (RunOne(*target, &guarded, input) > 0) ++accepted;
  }
  std::printf("fuzz %s: %llu inputs (seed 0x%llx), %llu read at least one item, %lu ms\n", name,
              static_cast<unsigned long long>(runs), static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(accepted), static_cast<unsigned long>(GetTickCount() - start));
}

}  // namespace

TEST(Fuzz, CorpusAndRegressionsReplayWithoutCrashing) {
  GuardedInput guarded;
  ASSERT_TRUE(guarded.ok());
  InstallCrashCapture();
  for (const Target& target : Targets()) {
    SCOPED_TRACE(target.name);
    PrepareCapture(target);
    const std::wstring name = TestSupport::FromUtf8(target.name);
    std::vector<std::wstring> seedNames;
    const std::vector<Bytes> seeds = ReadFolder(FuzzFolder() + L"\\corpus\\" + name, &seedNames);
    EXPECT_FALSE(seeds.empty());
    for (size_t i = 0; i < seeds.size(); ++i) {
      const int read = RunOne(target, &guarded, seeds[i]);
      // Every seed archive is sound and yields its items; otherwise the mutations start from junk.
      if (std::strcmp(target.name, "xml") != 0) {
        EXPECT_GT(read, 0) << TestSupport::ToUtf8(seedNames[i]);
      }
    }
    for (const Bytes& input : ReadFolder(FuzzFolder() + L"\\regressions\\" + name)) RunOne(target, &guarded, input);
  }
}

TEST(Fuzz, ZipReaderSurvivesMutatedArchives) { RunMutations("zip"); }
TEST(Fuzz, SevenZipReaderSurvivesMutatedArchives) { RunMutations("7z"); }
TEST(Fuzz, XmlParserSurvivesMutatedDocuments) { RunMutations("xml"); }
TEST(Fuzz, ImageDescriptionsSurviveMutation) { RunMutations("imagedesc"); }
TEST(Fuzz, MarkupTextSurvivesMutation) { RunMutations("markup"); }
TEST(Fuzz, SkinBuilderSurvivesMutatedSkins) { RunMutations("skin"); }
