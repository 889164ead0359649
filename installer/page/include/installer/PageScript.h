// The conversation with the page template's script: the call that replaces
// the page body, and the click reports the page sends back.
//
// A click report is the page generation followed by the id and class of the
// clicked element and of each ancestor up to the body, each part
// URI-encoded, the parts separated by spaces (see resources/page.html).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace installer {

// `text` as a JavaScript string literal: quotes, backslashes, control
// characters, U+2028/U+2029 and "</" escaped, so no configuration text can end
// the string or the script around it.
std::string JavaScriptString(std::string_view text);

// The script that makes `html` the page body of generation `generation` and
// puts texts[N] into its text slot N (see PageBuilder.h).
std::string SetBodyScript(std::string_view html, const std::vector<std::string>& texts,
                          uint64_t generation);

struct ClickedElement {
    std::string id;
    std::string cls;  // the class attribute as written
};

struct ClickReport {
    uint64_t generation = 0;
    std::vector<ClickedElement> path;  // the clicked element first
};

// nullopt for a report that is not in the form above.
std::optional<ClickReport> ParseClickReport(std::string_view text);

enum class ClickRoute { None, Ok, Cancel, ReadMe, PreInstall, Item };

struct RoutedClick {
    ClickRoute route = ClickRoute::None;
    std::string id;  // the element's id (the item's Action for ClickRoute::Item)
};

// The handler for a click: the nearest element on the path that has a routed
// id (ButtonOK, ButtonCancel, Cancel, ReadMe, PreInstall) or a routed class
// (Action, DigitBlue, DigitGreen, DigitRed) decides, its id before its class,
// so each click has at most one handler. Other classes (the disabled and PDF
// marks among them) route nowhere.
RoutedClick RouteClick(const std::vector<ClickedElement>& path);

}  // namespace installer
