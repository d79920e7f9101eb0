#pragma once

#include <cstdint>
#include <string>

/// An error of the formula engine: one of its fixed messages (code page 1250)
/// and the zero-based position in the formula text where it was found, or -1
/// for errors that have no position (evaluation errors).
class FunctionException
{
public:
    FunctionException(std::string message, int32_t position)
        : m_strMessage(std::move(message)), m_nPosition(position)
    {
    }

    std::string m_strMessage;
    int32_t m_nPosition;
};
