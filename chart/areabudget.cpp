#include "chart/areabudget.h"

#include "chart/chartmessages.h"
#include "chart/functioncontainerexception.h"

void AreaBudget::Take(std::size_t& left, std::size_t n)
{
    if (n > left)
        RefuseArea(ChartMessage::kAreaInaccurate);
    left -= n;
}

void RefuseArea(const char* message)
{
    throw FunctionContainerException(message);
}
