#include "cli/jsonwriter.h"

#include <cmath>
#include <cstdio>

void JsonWriter::Separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_text += ',';
        m_first.back() = false;
    }
}

void JsonWriter::BeginObject()
{
    Separate();
    m_text += '{';
    m_first.push_back(true);
}

void JsonWriter::EndObject()
{
    m_text += '}';
    m_first.pop_back();
}

void JsonWriter::BeginArray()
{
    Separate();
    m_text += '[';
    m_first.push_back(true);
}

void JsonWriter::EndArray()
{
    m_text += ']';
    m_first.pop_back();
}

void JsonWriter::Key(std::string_view key)
{
    String(key);
    m_text += ':';
    m_afterKey = true;
}

void JsonWriter::String(std::string_view utf8)
{
    Separate();
    m_text += '"';
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_text += '\\';
            m_text += c;
        } else if (c == '\n') {
            m_text += "\\n";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            m_text += escape;
        } else {
            m_text += c;
        }
    }
    m_text += '"';
}

void JsonWriter::Integer(int64_t value)
{
    Separate();
    m_text += std::to_string(value);
}

void JsonWriter::Double(double value)
{
    if (std::isnan(value)) {
        String("nan");
    } else if (std::isinf(value)) {
        String(value > 0 ? "inf" : "-inf");
    } else {
        Separate();
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
        m_text += buffer;
    }
}

void JsonWriter::Bool(bool value)
{
    Separate();
    m_text += value ? "true" : "false";
}
