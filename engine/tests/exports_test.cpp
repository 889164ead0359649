// The shipped library exports CreateVelquor and nothing else, and needs only
// the maths library and the C++ runtime. Read from its ELF dynamic section.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

class SharedObject {
public:
    explicit SharedObject(const char* path) {
        std::ifstream file(path, std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    bool IsElf64() const {
        return m_bytes.size() > sizeof(Elf64_Ehdr) &&
               std::memcmp(m_bytes.data(), ELFMAG, SELFMAG) == 0 && m_bytes[EI_CLASS] == ELFCLASS64;
    }

    // Names of the symbols the library defines for others to bind to.
    std::set<std::string> DefinedDynamicSymbols() const {
        std::set<std::string> names;
        const Elf64_Shdr* symbols = FindSection(SHT_DYNSYM);
        if (symbols == nullptr) {
            return names;
        }
        const char* strings = SectionData<char>(Section(symbols->sh_link));
        const auto* begin = SectionData<Elf64_Sym>(*symbols);
        const size_t count = symbols->sh_size / sizeof(Elf64_Sym);
        for (size_t i = 0; i < count; ++i) {
            const Elf64_Sym& sym = begin[i];
            const int binding = ELF64_ST_BIND(sym.st_info);
            const int visibility = ELF64_ST_VISIBILITY(sym.st_other);
            if (sym.st_shndx == SHN_UNDEF || sym.st_name == 0 || binding == STB_LOCAL ||
                visibility == STV_HIDDEN || visibility == STV_INTERNAL) {
                continue;
            }
            names.insert(strings + sym.st_name);
        }
        return names;
    }

    std::vector<std::string> NeededLibraries() const {
        std::vector<std::string> needed;
        const Elf64_Shdr* dynamic = FindSection(SHT_DYNAMIC);
        if (dynamic == nullptr) {
            return needed;
        }
        const char* strings = SectionData<char>(Section(dynamic->sh_link));
        const auto* entry = SectionData<Elf64_Dyn>(*dynamic);
        const size_t count = dynamic->sh_size / sizeof(Elf64_Dyn);
        for (size_t i = 0; i < count && entry[i].d_tag != DT_NULL; ++i) {
            if (entry[i].d_tag == DT_NEEDED) {
                needed.emplace_back(strings + entry[i].d_un.d_val);
            }
        }
        return needed;
    }

private:
    const Elf64_Ehdr& Header() const {
        return *reinterpret_cast<const Elf64_Ehdr*>(m_bytes.data());
    }
    const Elf64_Shdr& Section(size_t index) const {
        return reinterpret_cast<const Elf64_Shdr*>(m_bytes.data() + Header().e_shoff)[index];
    }
    const Elf64_Shdr* FindSection(uint32_t type) const {
        for (size_t i = 0; i < Header().e_shnum; ++i) {
            if (Section(i).sh_type == type) {
                return &Section(i);
            }
        }
        return nullptr;
    }
    template <typename T>
    const T* SectionData(const Elf64_Shdr& section) const {
        return reinterpret_cast<const T*>(m_bytes.data() + section.sh_offset);
    }

    std::vector<char> m_bytes;
};

bool IsSanitizerRuntime(const std::string& name) {
    return name.rfind("libasan", 0) == 0 || name.rfind("libubsan", 0) == 0;
}

TEST(SharedLibrary, ExportsCreateVelquorOnly) {
    SharedObject library(VELQUOR_SDK_PATH);
    ASSERT_TRUE(library.IsElf64()) << VELQUOR_SDK_PATH;
    const std::set<std::string> exported = library.DefinedDynamicSymbols();
    EXPECT_EQ(exported, std::set<std::string>{"CreateVelquor"});
}

TEST(SharedLibrary, NeedsOnlyTheMathsLibraryAndTheRuntime) {
    SharedObject library(VELQUOR_SDK_PATH);
    ASSERT_TRUE(library.IsElf64()) << VELQUOR_SDK_PATH;
    const std::vector<std::string> needed = library.NeededLibraries();
    // The DSP uses exp, log and cos, so the maths library must be there.
    EXPECT_NE(std::find(needed.begin(), needed.end(), "libm.so.6"), needed.end());
    const std::set<std::string> allowed = {"libm.so.6", "libc.so.6", "libstdc++.so.6",
                                           "libgcc_s.so.1"};
    for (const std::string& name : needed) {
        EXPECT_TRUE(allowed.count(name) == 1 || IsSanitizerRuntime(name)) << name;
    }
}

}  // namespace
