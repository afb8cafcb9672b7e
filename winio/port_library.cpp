#include "winio/port_library.h"

#include <windows.h>

#include "base/format.h"
#include "winio/winio_functions.h"

namespace {

constexpr char kWinIoName[] = "WINIO.dll";

// Where the libraries come from, for the messages.
constexpr char kWhereToGetThem[] =
    "get InpOut (inpout32.dll and inpoutx64.dll, whose driver is signed: "
    "the one for 64-bit Windows 7 to 11) from "
    "https://www.highrez.co.uk/downloads/inpout32/, or WinIo (WINIO.dll and "
    "its driver; on 64-bit Windows only with test signing on) from "
    "https://www.internals.com/, and put the DLL for this program's word "
    "size beside tarnwick-cli.exe; or use --sim DIR for the simulated board";

template <typename Fn>
bool Find(HMODULE module, const char* name, Fn* fn) {
  *fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return *fn != nullptr;
}

std::string LoadError(const FilePath& path) {
  const DWORD error = ::GetLastError();
  std::string text = Format("cannot load %s (error %lu)",
                            PathForDisplay(path).c_str(),
                            static_cast<unsigned long>(error));
  if (error == ERROR_BAD_EXE_FORMAT) {
    text += Format(": it is not a %d-bit DLL, as this program needs",
                   static_cast<int>(sizeof(void*) * 8));
  }
  return text;
}

// WinIo: InitializeWinIo starts the driver, ShutdownWinIo stops it.
class WinIoLibraryPort : public WinIoFunctionsPort {
 public:
  explicit WinIoLibraryPort(const WinIoFunctions& functions)
      : WinIoFunctionsPort(functions) {}
  ~WinIoLibraryPort() override { Close(); }

  // Started by the loader; later Opens start the driver again.
  void MarkStarted() { started_ = true; }
  bool Open() override {
    if (!started_) started_ = WinIoFunctionsPort::Open();
    return started_;
  }
  void Close() override {
    if (started_) WinIoFunctionsPort::Close();
    started_ = false;
  }

 private:
  bool started_ = false;
};

// InpOut: the driver is opened when the library is loaded and closed when
// it is unloaded, so Close unloads it and Open loads it again.
class InpOutPort : public PortIo {
 public:
  explicit InpOutPort(const FilePath& path) : path_(path) {}
  ~InpOutPort() override { Close(); }

  // Loads the library and finds its functions; false with *why otherwise.
  bool Load(std::string* why) {
    module_ = ::LoadLibraryW(path_.c_str());
    if (module_ == nullptr) {
      *why = LoadError(path_);
      return false;
    }
    if (!Find(module_, "IsInpOutDriverOpen", &is_open_) ||
        !Find(module_, "DlPortWritePortUchar", &write8_) ||
        !Find(module_, "DlPortWritePortUlong", &write32_) ||
        !Find(module_, "DlPortReadPortUchar", &read8_)) {
      *why = PathForDisplay(path_) +
             " lacks IsInpOutDriverOpen, DlPortWritePortUchar, "
             "DlPortWritePortUlong or DlPortReadPortUchar";
      Close();
      return false;
    }
    return true;
  }
  bool DriverOpen() const { return module_ != nullptr && is_open_(); }

  bool Open() override {
    std::string ignored;
    if (module_ == nullptr && !Load(&ignored)) return false;
    return DriverOpen();
  }
  void Close() override {
    if (module_ != nullptr) ::FreeLibrary(module_);
    module_ = nullptr;
  }
  bool Write8(uint16_t port, uint8_t value) override {
    if (module_ == nullptr) return false;
    write8_(port, value);
    return true;
  }
  bool Write32(uint16_t port, uint32_t value) override {
    if (module_ == nullptr) return false;
    write32_(port, value);
    return true;
  }
  bool Read8(uint16_t port, uint8_t* value) override {
    *value = 0xFF;
    if (module_ == nullptr) return false;
    *value = read8_(port);
    return true;
  }

 private:
  FilePath path_;
  HMODULE module_ = nullptr;
  BOOL(__stdcall* is_open_)() = nullptr;
  void(__stdcall* write8_)(USHORT, UCHAR) = nullptr;
  void(__stdcall* write32_)(ULONG, ULONG) = nullptr;
  UCHAR(__stdcall* read8_)(USHORT) = nullptr;
};

std::unique_ptr<PortIo> LoadWinIo(const FilePath& path, HMODULE module,
                                  std::string* note) {
  WinIoFunctions functions{};
  if (!Find(module, "ShutdownWinIo", &functions.shutdown) ||
      !Find(module, "GetPortVal", &functions.get) ||
      !Find(module, "SetPortVal", &functions.set) ||
      !Find(module, "InitializeWinIo", &functions.initialize)) {
    *note = PathForDisplay(path) +
            " lacks InitializeWinIo, ShutdownWinIo, GetPortVal or SetPortVal";
    return nullptr;
  }
  auto port = std::make_unique<WinIoLibraryPort>(functions);
  if (!port->Open()) {
    *note = PathForDisplay(path) +
            " loaded, but its driver did not start (InitializeWinIo "
            "failed): WinIo starts its driver only for an administrator, "
            "and on 64-bit Windows only with test signing on; InpOut's "
            "driver is signed (see README.txt)";
    return nullptr;
  }
  *note = "ports through " + PathForDisplay(path) + " (WinIo)";
  return port;
}

}  // namespace

const char* InpOutLibraryName() {
  return sizeof(void*) == 8 ? "inpoutx64.dll" : "inpout32.dll";
}

std::unique_ptr<PortIo> LoadPortLibrary(const FilePath& folder,
                                        const std::string& name,
                                        std::string* note) {
  FilePath path;
  if (!name.empty()) {
    path = folder / PathFromUtf8(name);  // an absolute name stays itself
  } else {
    for (const char* candidate : {kWinIoName, InpOutLibraryName()}) {
      if (::GetFileAttributesW((folder / candidate).c_str()) !=
          INVALID_FILE_ATTRIBUTES) {
        path = folder / candidate;
        break;
      }
    }
    if (path.empty()) {
      *note = Format("no port-access library beside tarnwick-cli.exe in %s "
                     "(looked for %s and %s): ",
                     PathForDisplay(folder).c_str(), kWinIoName,
                     InpOutLibraryName()) +
              kWhereToGetThem;
      return nullptr;
    }
  }
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    *note = "no library " + PathForDisplay(path) + ": " + kWhereToGetThem;
    return nullptr;
  }
  HMODULE module = ::LoadLibraryW(path.c_str());
  if (module == nullptr) {
    *note = LoadError(path);
    return nullptr;
  }
  // The library stays loaded for the rest of the run; InpOut's adaptor
  // holds a load of its own, which it drops to close the driver.
  if (::GetProcAddress(module, "InitializeWinIo") != nullptr)
    return LoadWinIo(path, module, note);
  const bool inpout = ::GetProcAddress(module, "IsInpOutDriverOpen") != nullptr;
  if (!inpout) {
    ::FreeLibrary(module);
    *note = PathForDisplay(path) +
            " offers neither the WinIo functions (InitializeWinIo, ...) nor "
            "InpOut's (IsInpOutDriverOpen, ...)";
    return nullptr;
  }
  auto port = std::make_unique<InpOutPort>(path);
  const bool loaded = port->Load(note);
  // Its own load holds the library now (or it failed).
  ::FreeLibrary(module);
  if (!loaded) return nullptr;
  if (!port->DriverOpen()) {
    *note = PathForDisplay(path) +
            " loaded, but its driver did not start (IsInpOutDriverOpen is "
            "false): InpOut installs its driver the first time it runs with "
            "administrator rights; run tarnwick-cli once as administrator";
    return nullptr;
  }
  *note = "ports through " + PathForDisplay(path) + " (InpOut)";
  return port;
}
