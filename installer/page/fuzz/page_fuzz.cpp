// Setup's pages built from arbitrary configurations, over a registry seeded so
// that probes find products, features, uninstall entries and Windows
// versions. Beyond not crashing, what goes to the web view must hold
// together: the page's own markup is balanced and quoted, carries no script,
// event handler or text of the configuration (each text only in its slot,
// each slot once), every id is an escaped Action or one of the page's fixed
// ids, and the script that hands the page over keeps every text inside its
// string literal.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "installer/Config.h"
#include "installer/Log.h"
#include "installer/PageBuilder.h"
#include "installer/PageScript.h"
#include "testsupport/Files.h"

namespace {

using installer::Config;
using installer::Page;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

constexpr char kSeed[] =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
    "\"CurrentVersion\"=\"5.1\"\n\"CSDVersion\"=\"Service Pack 2\"\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5]\n"
    "\"Install\"=dword:00000001\n\"SP\"=dword:00000001\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\DataAccess]\n\"FullInstallVer\"=\"2.81.1117.0\"\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\A]\n"
    "\"UninstallString\"=\"remove\"\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Runtime]\n"
    "\"UninstallString\"=\"remove\"\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrova\\Installer\\Products\\"
    "{BFEC5A96-DB50-4D1C-80D9-2D97DD847C22}]\n\"State\"=dword:00000005\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kestrova\\Installer\\Products\\"
    "{BFEC5A96-DB50-4D1C-80D9-2D97DD847C22}\\Features]\n\"Engine\"=dword:00000003\n";

// The registry the probes read, made once: the corpus replay has no
// initialisation hook.
void SetUpOnce() {
    static const bool done = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string folder = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                             "/kestrova-page-fuzz-XXXXXX";
        Check(mkdtemp(folder.data()) != nullptr);
        Check(testsupport::WriteText(folder + "/HKEY_LOCAL_MACHINE.reg", kSeed));
        setenv("KESTROVA_REGISTRY_DIR", folder.c_str(), 1);
        installer::SetLogSinkForTesting([](const std::string&) {});
        return true;
    }();
    (void)done;
}

std::string Unescape(std::string_view value) {
    static const std::pair<std::string_view, char> kReferences[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        bool replaced = false;
        for (const auto& [reference, c] : kReferences) {
            if (value.substr(i, reference.size()) == reference) {
                text += c;
                i += reference.size() - 1;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            Check(value[i] != '&' && value[i] != '<' && value[i] != '>' && value[i] != '\'');
            text += value[i];
        }
    }
    return text;
}

bool IsPageText(std::string_view text) {
    // Between its tags the page itself writes row numbers, "PDF", "&raquo" and "!".
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\n' || c == '!' || (c >= '0' && c <= '9')) {
            continue;
        }
        if (text.substr(i, 3) == "PDF") {
            i += 2;
        } else if (text.substr(i, 6) == "&raquo") {
            i += 5;
        } else {
            return false;
        }
    }
    return true;
}

// The page's own markup: balanced, every attribute double-quoted, no script.
void CheckSkeleton(const Page& page, const std::set<std::string>& ids) {
    const std::string& html = page.body;
    std::vector<std::string> open;
    std::vector<int> slotsSeen(page.texts.size(), 0);
    size_t pos = 0;
    while (pos < html.size()) {
        const size_t tagStart = html.find('<', pos);
        Check(IsPageText(std::string_view(html).substr(
            pos, (tagStart == std::string::npos ? html.size() : tagStart) - pos)));
        if (tagStart == std::string::npos) {
            break;
        }
        size_t at = tagStart + 1;
        const bool closing = at < html.size() && html[at] == '/';
        at += closing ? 1 : 0;
        const size_t nameEnd = html.find_first_of(" >", at);
        Check(nameEnd != std::string::npos);
        const std::string name = html.substr(at, nameEnd - at);
        Check(name == "div" || name == "span" || name == "table" || name == "tr" || name == "td" ||
              name == "br");
        at = nameEnd;
        while (html[at] == ' ') {
            const size_t equals = html.find('=', at);
            Check(equals != std::string::npos && equals + 1 < html.size() &&
                  html[equals + 1] == '"');
            const std::string attribute = html.substr(at + 1, equals - at - 1);
            Check(attribute.find_first_of(" <>\"'/") == std::string::npos);
            Check(attribute.rfind("on", 0) != 0);
            const size_t close = html.find('"', equals + 2);
            Check(close != std::string::npos);
            const std::string value = html.substr(equals + 2, close - equals - 2);
            Check(value.find('<') == std::string::npos);
            if (attribute == "id") {
                Check(ids.count(Unescape(value)) == 1);
            } else if (attribute == "data-text") {
                Check(name == "span" && !value.empty() && value.size() < 8 &&
                      value.find_first_not_of("0123456789") == std::string::npos);
                const size_t slot = std::stoul(value);
                Check(slot < slotsSeen.size());
                ++slotsSeen[slot];
            } else {
                Check(value.find("javascript:") == std::string::npos &&
                      value.find('&') == std::string::npos);
            }
            at = close + 1;
        }
        Check(at < html.size() && html[at] == '>');
        pos = at + 1;
        if (name == "br") {
            Check(!closing);
        } else if (closing) {
            Check(!open.empty() && open.back() == name);
            open.pop_back();
        } else {
            open.push_back(name);
        }
    }
    Check(open.empty());
    for (const int seen : slotsSeen) {
        Check(seen == 1);
    }
}

// Reads a string literal as JavaScriptString writes it; false if the text
// could leave it.
bool SkipStringLiteral(std::string_view script, size_t& pos) {
    if (pos >= script.size() || script[pos] != '"') {
        return false;
    }
    for (++pos; pos < script.size(); ++pos) {
        const unsigned char c = static_cast<unsigned char>(script[pos]);
        if (c < 0x20 || c == 0x7f) {
            return false;
        }
        if (c == '\\') {
            ++pos;
        } else if (c == '"') {
            ++pos;
            return true;
        } else if (c == '<' && pos + 1 < script.size() && script[pos + 1] == '/') {
            return false;
        } else if (c == 0xe2 && script.substr(pos + 1, 1) == "\x80" &&
                   (script.substr(pos + 2, 1) == "\xa8" || script.substr(pos + 2, 1) == "\xa9")) {
            return false;
        }
    }
    return false;
}

void CheckScript(const Page& page) {
    const std::string script = installer::SetBodyScript(page.body, page.texts, 42);
    const std::string_view text = script;
    Check(text.substr(0, 8) == "setBody(");
    size_t pos = 8;
    Check(SkipStringLiteral(text, pos));
    Check(text.substr(pos, 3) == ", [");
    pos += 3;
    for (size_t i = 0; i < page.texts.size(); ++i) {
        if (i > 0) {
            Check(text.substr(pos, 2) == ", ");
            pos += 2;
        }
        Check(SkipStringLiteral(text, pos));
    }
    Check(text.substr(pos) == "], 42);");
}

void CheckPage(const Page& page, const std::set<std::string>& ids) {
    CheckSkeleton(page, ids);
    CheckScript(page);
    Check(page.size.width > 0 && page.size.height > 0);
    Check(page.size.width < 1e12 && page.size.height < 1e12);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpOnce();
    const Config config =
        Config::FromText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<std::string> ids = {"Container", "ActionList", "ReadMe", "Cancel", "PreInstall"};
    for (const auto& item : config.mainItems) {
        ids.insert(item.Action);
    }
    for (const auto& item : config.prerequisites) {
        ids.insert(item.Action);
    }
    for (const bool pdfReader : {false, true}) {
        CheckPage(BuildMainPage(config, {pdfReader, true, false}, 1033, {}), ids);
    }
    CheckPage(BuildMainPage(config, {}, installer::kRightToLeftLanguageId, {1.25, 1.25}), ids);
    for (const bool afterAttempt : {false, true}) {
        CheckPage(BuildPrerequisitesPage(config, afterAttempt, 1033, {}), ids);
    }
    CheckPage(BuildBlockingPage(config, {}), ids);
    return 0;
}
