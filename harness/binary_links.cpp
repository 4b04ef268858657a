#include "binary_links.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "file_reading.h"

namespace harness {
namespace {

// Little-endian reads, each checked against the end of the data.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}

  uint64_t read(uint64_t at, unsigned width) const {
    check(at, width);
    uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) {
      value |= uint64_t{static_cast<unsigned char>(data_[at + i])} << (8 * i);
    }
    return value;
  }
  uint32_t u16(uint64_t at) const { return static_cast<uint32_t>(read(at, 2)); }
  uint32_t u32(uint64_t at) const { return static_cast<uint32_t>(read(at, 4)); }
  std::string text(uint64_t at) const {
    check(at, 1);
    const std::size_t end = data_.find('\0', at);
    if (end == std::string_view::npos) throw UnreadableBinary("a name runs past the end");
    return std::string(data_.substr(at, end - at));
  }
  bool starts_with(std::string_view prefix) const {
    return data_.substr(0, prefix.size()) == prefix;
  }

 private:
  void check(uint64_t at, uint64_t width) const {
    if (at > data_.size() || width > data_.size() - at) {
      throw UnreadableBinary("it is cut short or malformed");
    }
  }
  std::string_view data_;
};

// ---- PE ----

constexpr uint64_t kOrdinalFlag32 = 0x80000000u;
constexpr uint64_t kOrdinalFlag64 = 0x8000000000000000u;

class PeFile {
 public:
  explicit PeFile(const Bytes& bytes) : bytes_(bytes) {
    const uint32_t pe = bytes.u32(0x3c);
    if (bytes.u32(pe) != 0x00004550) throw UnreadableBinary("it has no PE header");
    const uint32_t sections = bytes.u16(pe + 6);
    const uint32_t optional = pe + 24;
    const uint32_t magic = bytes.u16(optional);
    if (magic != 0x10b && magic != 0x20b) throw UnreadableBinary("its PE header is neither kind");
    wide_ = magic == 0x20b;
    directories_ = optional + (wide_ ? 112 : 96);
    section_table_ = optional + bytes.u16(pe + 20);
    section_count_ = sections;
  }

  // The file offset of a relative virtual address.
  uint64_t offset(uint64_t rva) const {
    for (uint32_t i = 0; i < section_count_; ++i) {
      const uint64_t header = section_table_ + 40u * i;
      const uint64_t start = bytes_.u32(header + 12);
      const uint64_t size = std::max(bytes_.u32(header + 8), bytes_.u32(header + 16));
      if (rva >= start && rva < start + size) return rva - start + bytes_.u32(header + 20);
    }
    throw UnreadableBinary("an address lies in no section");
  }

  uint32_t directory(int index) const { return bytes_.u32(directories_ + 8u * index); }

  void read_imports(BinaryLinks& links) const {
    const uint32_t table = directory(1);
    if (table == 0) return;
    for (uint64_t entry = offset(table);; entry += 20) {
      const uint32_t name = bytes_.u32(entry + 12);
      if (name == 0) break;
      ImportedRoutines library{bytes_.text(offset(name)), {}};
      const uint32_t thunks = bytes_.u32(entry) != 0 ? bytes_.u32(entry) : bytes_.u32(entry + 16);
      const unsigned width = wide_ ? 8 : 4;
      for (uint64_t thunk = offset(thunks);; thunk += width) {
        const uint64_t value = bytes_.read(thunk, width);
        if (value == 0) break;
        if (value & (wide_ ? kOrdinalFlag64 : kOrdinalFlag32)) {
          library.routines.push_back("#" + std::to_string(value & 0xffff));
        } else {
          library.routines.push_back(bytes_.text(offset(value) + 2));  // past the hint
        }
      }
      links.imports.push_back(std::move(library));
    }
  }

  void read_exports(BinaryLinks& links) const {
    const uint32_t table = directory(0);
    if (table == 0) return;
    const uint64_t directory_at = offset(table);
    const uint32_t count = bytes_.u32(directory_at + 24);
    const uint64_t names = offset(bytes_.u32(directory_at + 32));
    for (uint32_t i = 0; i < count; ++i) {
      links.exports.push_back(bytes_.text(offset(bytes_.u32(names + 4u * i))));
    }
  }

 private:
  const Bytes& bytes_;
  bool wide_ = false;
  uint64_t directories_ = 0;
  uint64_t section_table_ = 0;
  uint32_t section_count_ = 0;
};

// ---- ELF ----

constexpr uint32_t kDynamic = 6;
constexpr uint32_t kDynamicSymbols = 11;
constexpr uint32_t kVersionNeeds = 0x6ffffffe;
constexpr uint32_t kSymbolVersions = 0x6fffffff;
constexpr uint64_t kNeeded = 1;
constexpr unsigned kGlobal = 1;
constexpr unsigned kWeak = 2;

struct Section {
  uint32_t type = 0;
  uint64_t offset = 0;
  uint64_t size = 0;
  uint32_t link = 0;
};

class ElfFile {
 public:
  explicit ElfFile(const Bytes& bytes) : bytes_(bytes) {
    const uint32_t width_class = static_cast<uint32_t>(bytes.read(4, 1));
    if ((width_class != 1 && width_class != 2) || bytes.read(5, 1) != 1) {
      throw UnreadableBinary("it is an ELF file of another kind (not little-endian)");
    }
    wide_ = width_class == 2;
    const uint64_t table = wide_ ? bytes.read(0x28, 8) : bytes.u32(0x20);
    const uint32_t entry_size = bytes.u16(wide_ ? 0x3a : 0x2e);
    const uint32_t count = bytes.u16(wide_ ? 0x3c : 0x30);
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t at = table + uint64_t{entry_size} * i;
      Section section;
      section.type = bytes.u32(at + 4);
      section.offset = wide_ ? bytes.read(at + 24, 8) : bytes.u32(at + 16);
      section.size = wide_ ? bytes.read(at + 32, 8) : bytes.u32(at + 20);
      section.link = bytes.u32(at + (wide_ ? 40 : 24));
      sections_.push_back(section);
    }
  }

  void read(BinaryLinks& links) const {
    const Section* dynamic = find(kDynamic);
    const Section* symbols = find(kDynamicSymbols);
    if (dynamic == nullptr || symbols == nullptr)
      throw UnreadableBinary("it has no dynamic section");
    const unsigned word = wide_ ? 8 : 4;
    for (uint64_t at = dynamic->offset; at + 2 * word <= dynamic->offset + dynamic->size;
         at += 2 * word) {
      if (bytes_.read(at, word) == kNeeded) {
        links.imports.push_back({name(dynamic->link, bytes_.read(at + word, word)), {}});
      }
    }
    const std::map<uint32_t, std::string> version_files = version_needs();
    const Section* versions = find(kSymbolVersions);
    const uint64_t symbol_size = wide_ ? 24 : 16;
    for (uint64_t i = 1; i < symbols->size / symbol_size; ++i) {
      const uint64_t at = symbols->offset + i * symbol_size;
      const unsigned binding = static_cast<unsigned>(bytes_.read(at + (wide_ ? 4 : 12), 1)) >> 4;
      const uint32_t section = bytes_.u16(at + (wide_ ? 6 : 14));
      const std::string symbol = name(symbols->link, bytes_.u32(at));
      if (symbol.empty() || (binding != kGlobal && binding != kWeak)) continue;
      if (section != 0) {
        links.exports.push_back(symbol);
        continue;
      }
      if (binding == kWeak) continue;  // optional: the loader does without it
      const uint32_t version = versions ? bytes_.u16(versions->offset + 2 * i) & 0x7fff : 0;
      const auto file = version_files.find(version);
      if (file == version_files.end()) {
        links.unattributed.push_back(symbol);
        continue;
      }
      for (ImportedRoutines& library : links.imports) {
        if (library.library == file->second) library.routines.push_back(symbol);
      }
    }
  }

 private:
  const Section* find(uint32_t type) const {
    for (const Section& section : sections_) {
      if (section.type == type) return &section;
    }
    return nullptr;
  }

  std::string name(uint32_t strings, uint64_t at) const {
    if (strings >= sections_.size()) throw UnreadableBinary("a name table is missing");
    return bytes_.text(sections_[strings].offset + at);
  }

  // Version index -> the library that the version is needed from.
  std::map<uint32_t, std::string> version_needs() const {
    std::map<uint32_t, std::string> files;
    const Section* needs = find(kVersionNeeds);
    if (needs == nullptr) return files;
    uint64_t need = needs->offset;
    for (int guard = 0; guard < 1024; ++guard) {
      const std::string file = name(needs->link, bytes_.u32(need + 4));
      uint64_t aux = need + bytes_.u32(need + 8);
      for (uint32_t i = 0; i < bytes_.u16(need + 2); ++i) {
        files[bytes_.u16(aux + 6) & 0x7fff] = file;
        aux += bytes_.u32(aux + 12);
      }
      const uint32_t next = bytes_.u32(need + 12);
      if (next == 0) break;
      need += next;
    }
    return files;
  }

  const Bytes& bytes_;
  bool wide_ = false;
  std::vector<Section> sections_;
};

}  // namespace

BinaryLinks read_links(std::string_view data) {
  const Bytes bytes(data);
  BinaryLinks links;
  if (bytes.starts_with("MZ")) {
    const PeFile pe(bytes);
    pe.read_imports(links);
    pe.read_exports(links);
  } else if (bytes.starts_with("\x7f"
                               "ELF")) {
    ElfFile(bytes).read(links);
  } else {
    throw UnreadableBinary("it is neither a PE (Windows) nor an ELF (Linux) file");
  }
  return links;
}

std::optional<BinaryLinks> read_links_of_file(const std::string& path) {
  const std::optional<std::string> bytes = read_file(path);
  if (!bytes) return std::nullopt;
  try {
    return read_links(*bytes);
  } catch (const UnreadableBinary&) {
    return std::nullopt;
  }
}

}  // namespace harness
