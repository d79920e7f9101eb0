#pragma once

#include <QString>

/// The program's help as one HTML page in Polish, with a table of contents
/// linking its sections (anchors "wzory", "funkcje", "mysz", "tabela",
/// "pliki", "eksport", "komunikacja", "cli"). The list of functions and
/// constants is made from the formula engine's own table of names.
QString HelpHtml();
