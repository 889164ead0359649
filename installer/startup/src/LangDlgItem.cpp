#include "installer/LangDlgItem.h"

#include <string_view>

#include "installer/Log.h"
#include "installer/XmlText.h"

namespace installer {

LangDlgItem::LangDlgItem(const std::string& fileName) : FileName(fileName) {
    // Every line is built by concatenation: a file name is never a format string.
    Log("LangDlgItem::LangDlgItem(" + fileName + ") - started\n");
    // The XML reader is linked in, so creating it cannot fail and there is
    // nothing to register.
    Log("doc.CreateInstance(__uuidof(MSXML2::DOMDocument)) SUCCEED\n");
    pugi::xml_document doc;
    const auto bytes = ReadFileBytes(fileName);
    std::optional<size_t> invalidByte;
    if (!bytes || !ParseXmlDocument(*bytes, doc, &invalidByte)) {
        if (invalidByte) {
            Log(fileName + " is not valid UTF-8 (byte " + std::to_string(*invalidByte) +
                "), so it is not read\n");
        }
        Log("ERROR2: doc->load(" + fileName + ", &success) FAILED\n");
    } else {
        Log("doc->load(" + fileName + ", &success) SUCCEED\n");
        Log("doc->selectNodes(/AutoRun/LangSelectionDlg, &nodes) SUCCEED\n");
        const pugi::xpath_node first = doc.select_node("/AutoRun/LangSelectionDlg");
        if (first) {
            ProcessNode(first.node());
        }
    }
    Log("LangDlgItem::LangDlgItem(" + fileName + ") - finished\n");
}

void LangDlgItem::ProcessNode(const pugi::xml_node& node) {
    Log("LangDlgItem::ProcessNode(IXMLDOMNodePtr node) - started\n");
    for (const pugi::xml_attribute& attribute : node.attributes()) {
        const std::string_view name = attribute.name();
        const char* value = attribute.value();
        if (name == "ID") {
            ID = ParseLeadingInt(value).value_or(0);
        } else if (name == "Default") {
            Default = ParseLeadingInt(value).value_or(0);
        } else if (name == "Name") {
            Name = value;
        } else if (name == "HeaderName") {
            HeaderName = value;
        } else if (name == "Label") {
            Label = value;
        } else if (name == "BtnOk") {
            BtnOk = value;
        } else if (name == "BtnCancel") {
            BtnCancel = value;
        }
    }
    Log("LangDlgItem::ProcessNode(IXMLDOMNodePtr node) - finished\n\n");
}

}  // namespace installer
