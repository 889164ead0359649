#include <random>

#include "installer/PageTemplate.h"

namespace installer {
namespace {

void ReplaceAll(std::string& text, std::string_view mark, const std::string& value) {
    for (size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size())) {
        text.replace(at, mark.size(), value);
    }
}

}  // namespace

std::string PageTemplateFor(const std::string& nonce) {
    // The script wrapper of the web view runs scripts through eval, so eval
    // stays allowed; only code that is already running can reach it. A policy
    // cannot name a folder of file: addresses, so it admits local images and
    // setBody drops those from outside the medium folder.
    const std::string policy = "default-src 'none'; script-src 'nonce-" + nonce +
                               "' 'unsafe-eval'; style-src 'unsafe-inline'; img-src file:";
    std::string page = PageTemplate();
    ReplaceAll(page, "%%POLICY%%", policy);
    ReplaceAll(page, "%%NONCE%%", nonce);
    return page;
}

std::string NewScriptNonce() {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device source;
    std::string nonce;
    for (int i = 0; i < 32; ++i) {
        nonce += kHex[source() & 0xf];
    }
    return nonce;
}

}  // namespace installer
