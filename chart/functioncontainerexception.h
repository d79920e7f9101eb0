#pragma once

#include <cstdint>
#include <string>

/// An error of the chart model: a message (code page 1250) for the user and,
/// for errors found by the formula parser, the position in the text; else -1.
/// Showing it is the business of the window that catches it.
class FunctionContainerException
{
public:
    FunctionContainerException(std::string message, int32_t position = -1)
        : m_strMessage(std::move(message)), m_nPosition(position)
    {
    }

    std::string m_strMessage;
    int32_t m_nPosition;
};
