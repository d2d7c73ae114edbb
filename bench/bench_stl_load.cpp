// Import speed and memory of the STL plug-in, loaded from its module with
// dlopen as the viewer loads it.
//
//   binary: 2,000,000 facets through LoadModel + ModelFromExchangeRecord,
//           against reading the same file into a new buffer with read()
//   ASCII:  1,000,000 facets with numbers in "%e" form through LoadModel
//   memory: peak resident memory of the binary load while the record and the
//           model both exist, per facet
//
// The files are generated into a temporary folder and removed at the end.
// Every figure is the median of several runs on a hot page cache; the
// program prints its figures and never fails on them.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "geometry/ZtModel.h"
#include "plugin_interface/ModelConversion.h"
#include "plugin_interface/ModelExchange.h"
#include "support/TestSupport.h"

namespace {

constexpr uint32_t kBinaryFacets = 2'000'000;
constexpr uint32_t kAsciiFacets = 1'000'000;
constexpr int kDefaultRuns = 5;

// Wall-clock and processor time of one run, in seconds.  The machine may be
// shared: processor time shows what the code costs when the wall clock also
// counts waiting for a processor.
struct Timing {
  double wall = 0.0;
  double cpu = 0.0;
};

double CpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

class Stopwatch {
public:
  Timing Elapsed() const {
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count(),
            CpuSeconds() - m_cpu};
  }

private:
  std::chrono::steady_clock::time_point m_wall = std::chrono::steady_clock::now();
  double m_cpu = CpuSeconds();
};

Timing Median(const std::vector<Timing>& runs) {
  std::vector<double> wall, cpu;
  for (const Timing& t : runs) {
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// Coordinates of a few centimetres, like a machined part in mm.
class CoordinateSource {
public:
  float Next() { return m_distribution(m_random); }

private:
  std::mt19937 m_random{12345};
  std::uniform_real_distribution<float> m_distribution{-150.0f, 150.0f};
};

// Files are written through a buffer so that generating them needs little memory.
class Writer {
public:
  explicit Writer(const std::string& path) : m_out(path, std::ios::binary | std::ios::trunc) {}
  ~Writer() { Flush(); }
  void Append(const void* data, size_t size) {
    m_buffer.append(static_cast<const char*>(data), size);
    if (m_buffer.size() > (1u << 20)) Flush();
  }
  void Flush() {
    m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
    m_buffer.clear();
  }

private:
  std::ofstream m_out;
  std::string m_buffer;
};

void WriteBinaryStl(const std::string& path, uint32_t facets) {
  Writer out(path);
  char header[80] = "bench";
  out.Append(header, sizeof header);
  out.Append(&facets, 4);  // little-endian host
  CoordinateSource source;
  for (uint32_t i = 0; i < facets; ++i) {
    float values[12];
    for (float& v : values) v = source.Next();
    const uint16_t attribute = 0;
    out.Append(values, sizeof values);
    out.Append(&attribute, 2);
  }
}

void WriteAsciiStl(const std::string& path, uint32_t facets) {
  Writer out(path);
  CoordinateSource source;
  char line[160];
  out.Append("solid bench\n", 12);
  for (uint32_t i = 0; i < facets; ++i) {
    int n = std::snprintf(line, sizeof line, "  facet normal %e %e %e\n    outer loop\n", source.Next(),
                          source.Next(), source.Next());
    out.Append(line, static_cast<size_t>(n));
    for (int v = 0; v < 3; ++v) {
      n = std::snprintf(line, sizeof line, "      vertex %e %e %e\n", source.Next(), source.Next(),
                        source.Next());
      out.Append(line, static_cast<size_t>(n));
    }
    out.Append("    endloop\n  endfacet\n", 23);
  }
  out.Append("endsolid bench\n", 15);
}

// The yardstick: the file read into a freshly allocated buffer.
Timing TimePlainRead(const std::string& path) {
  const Stopwatch stopwatch;
  const int fd = ::open(path.c_str(), O_RDONLY);
  struct stat status;
  ::fstat(fd, &status);
  const auto size = static_cast<size_t>(status.st_size);
  std::unique_ptr<char[]> buffer(new char[size]);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer.get() + done, size - done);
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  ::close(fd);
  const Timing timing = stopwatch.Elapsed();
  if (done != size) std::fprintf(stderr, "short read of %s\n", path.c_str());
  return timing;
}

// Peak resident memory since the last reset, and the current, in bytes.
long StatusKilobytes(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
  return -1;
}

bool ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

struct Plugin {
  void* handle = nullptr;
  LoadModelFunction loadModel = nullptr;
};

// One import as the viewer does it; the record and the model are released
// after the clock stops.  A failed load is reported and ends the program.
Timing TimeImport(const Plugin& plugin, const std::string& path, bool convert,
                  const std::function<void()>& whileBothExist = {}) {
  ModelExchangeRecord record{};
  auto model = std::make_unique<CZtModel>();
  const Stopwatch stopwatch;
  const int loaded = plugin.loadModel(path.c_str(), nullptr, &record);
  const int converted = convert && loaded == 1 ? ModelFromExchangeRecord(&record, model.get()) : 1;
  const Timing timing = stopwatch.Elapsed();
  if (whileBothExist) whileBothExist();
  FreeModelExchangeRecord(&record);
  if (loaded != 1 || converted != 1) {
    std::fprintf(stderr, "loading %s failed: LoadModel %d, ModelFromExchangeRecord %d\n", path.c_str(),
                 loaded, converted);
    std::exit(1);
  }
  return timing;
}

// The 1-minute load average and the processors, so that wall-clock figures
// from a shared machine can be read for what they are.
void PrintMachineLoad() {
  std::ifstream loadavg("/proc/loadavg");
  double load = -1.0;
  loadavg >> load;
  std::printf("load average %.2f on %ld processors\n", load, sysconf(_SC_NPROCESSORS_ONLN));
}

}  // namespace

// Usage: bench_stl_load [runs], 5 runs by default.
int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRuns;
  Plugin plugin;
  const std::string modulePath = std::string(PILVO_PLUGIN_DIR) + "/StlLoader.so";
  plugin.handle = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (plugin.handle)
    plugin.loadModel = reinterpret_cast<LoadModelFunction>(dlsym(plugin.handle, "LoadModel"));
  if (!plugin.loadModel) {
    std::fprintf(stderr, "cannot load %s: %s\n", modulePath.c_str(), dlerror());
    return 1;
  }

  testsupport::TempDir dir;
  const std::string binaryPath = dir.File("bench_binary.stl");
  const std::string asciiPath = dir.File("bench_ascii.stl");
  std::printf("generating %u binary and %u ASCII facets in %s ...\n", kBinaryFacets, kAsciiFacets,
              dir.path().c_str());
  WriteBinaryStl(binaryPath, kBinaryFacets);
  WriteAsciiStl(asciiPath, kAsciiFacets);
  const double binaryMB = static_cast<double>(std::filesystem::file_size(binaryPath)) / 1e6;
  const double asciiMB = static_cast<double>(std::filesystem::file_size(asciiPath)) / 1e6;

  // Memory first, while the heap is fresh.
  long peakBytes = -1;
  const bool reset = ResetPeakMemory();
  const long rssBefore = StatusKilobytes("VmRSS:");
  TimeImport(plugin, binaryPath, true, [&] { peakBytes = (StatusKilobytes("VmHWM:") - rssBefore) * 1024; });

  // Hot cache: every file once through the page cache before timing.
  TimePlainRead(binaryPath);
  TimePlainRead(asciiPath);

  std::vector<Timing> plain, binary, asciiLoad, asciiImport;
  for (int run = 0; run < runs; ++run) {
    plain.push_back(TimePlainRead(binaryPath));
    binary.push_back(TimeImport(plugin, binaryPath, true));
    asciiLoad.push_back(TimeImport(plugin, asciiPath, false));
    asciiImport.push_back(TimeImport(plugin, asciiPath, true));
  }

  const Timing plainMedian = Median(plain), binaryMedian = Median(binary);
  const Timing asciiLoadMedian = Median(asciiLoad), asciiImportMedian = Median(asciiImport);
  std::printf("\nmedian of %d runs, hot page cache; wall clock (processor time)\n", runs);
  PrintMachineLoad();
  std::printf("binary STL, %u facets, %.1f MB\n", kBinaryFacets, binaryMB);
  std::printf("  read() into a new buffer              %8.1f ms (%6.1f ms)\n", plainMedian.wall * 1e3,
              plainMedian.cpu * 1e3);
  std::printf(
      "  LoadModel + ModelFromExchangeRecord   %8.1f ms (%6.1f ms) = %.2f x read() (%.2f x)  [limit 1.50]\n",
      binaryMedian.wall * 1e3, binaryMedian.cpu * 1e3, binaryMedian.wall / plainMedian.wall,
      binaryMedian.cpu / plainMedian.cpu);
  std::printf("ASCII STL, %u facets, %.1f MB\n", kAsciiFacets, asciiMB);
  std::printf(
      "  LoadModel                             %8.1f ms (%6.1f ms) = %.0f MB/s (%.0f MB/s)  [at least 300]\n",
      asciiLoadMedian.wall * 1e3, asciiLoadMedian.cpu * 1e3, asciiMB / asciiLoadMedian.wall,
      asciiMB / asciiLoadMedian.cpu);
  std::printf("  LoadModel + ModelFromExchangeRecord   %8.1f ms (%6.1f ms) = %.0f MB/s (%.0f MB/s)\n",
              asciiImportMedian.wall * 1e3, asciiImportMedian.cpu * 1e3, asciiMB / asciiImportMedian.wall,
              asciiMB / asciiImportMedian.cpu);
  if (reset && peakBytes >= 0) {
    std::printf("peak memory of the binary load, record and model together\n");
    std::printf("  %.1f MB = %.1f bytes per facet  [limit 170]\n", static_cast<double>(peakBytes) / 1e6,
                static_cast<double>(peakBytes) / kBinaryFacets);
  } else {
    std::printf("peak memory: /proc/self/clear_refs cannot reset the peak here\n");
  }
  return 0;
}
