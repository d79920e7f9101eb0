#include "app/helptext.h"

#include "engine/function.h"
#include "framework/qtstring.h"

#include <QStringList>

#include <map>
#include <vector>

namespace {

/// What the help says about a name of the language.
struct NameHelp
{
    enum Kind
    {
        kValue,     ///< the variable and the constants, which take no parentheses
        kFunction,
        kCondition, ///< a word that joins or negates conditions
    };
    const char* name;
    Kind kind;
    const char* arguments;
    const char* meaning;
    const char* domain;
};

// Keyed by name, not by token: a name the engine learns shows in the list
// even before it is described here.
// clang-format off
constexpr NameHelp kNameHelp[] = {
    {"x", NameHelp::kValue, "", "zmienna: argument funkcji", ""},
    {"pi", NameHelp::kValue, "", "stała π = 3.141592653589793", ""},
    {"e", NameHelp::kValue, "", "stała e = 2.718281828459045 (liczba Eulera, exp(1))", ""},
    {"sin", NameHelp::kFunction, "(x)", "sinus", "każde x"},
    {"asin", NameHelp::kFunction, "(x)", "arcus sinus", "−1 ≤ x ≤ 1"},
    {"sinh", NameHelp::kFunction, "(x)", "sinus hiperboliczny", "każde x"},
    {"cos", NameHelp::kFunction, "(x)", "cosinus", "każde x"},
    {"cosh", NameHelp::kFunction, "(x)", "cosinus hiperboliczny", "każde x"},
    {"acos", NameHelp::kFunction, "(x)", "arcus cosinus", "−1 ≤ x ≤ 1"},
    {"tan", NameHelp::kFunction, "(x)", "tangens", "x ≠ π/2 + kπ (w stopniach x ≠ 90 + k·180)"},
    {"tanh", NameHelp::kFunction, "(x)", "tangens hiperboliczny", "każde x"},
    {"atan", NameHelp::kFunction, "(x)", "arcus tangens", "każde x"},
    {"ctg", NameHelp::kFunction, "(x)", "cotangens, 1/tg(x)", "x ≠ kπ (w stopniach x ≠ k·180)"},
    {"ctgh", NameHelp::kFunction, "(x)", "cotangens hiperboliczny, 1/tgh(x)", "x ≠ 0"},
    {"arcctg", NameHelp::kFunction, "(x)", "arcus cotangens, π/2 − arctg(x)", "każde x"},
    {"pow", NameHelp::kFunction, "(a, b)", "potęga: pow(a, b) = a^b", "a &gt; 0; a ≤ 0 tylko dla całkowitego b, 0 nie do potęgi ujemnej"},
    {"root", NameHelp::kFunction, "(a, n)", "pierwiastek stopnia n: root(a, n) = a^(1/n); dla a &lt; 0 i nieparzystego n równy −root(−a, n): root(−8, 3) = −2", "a ≥ 0, n ≠ 0; a &lt; 0 tylko dla nieparzystego całkowitego n"},
    {"exp", NameHelp::kFunction, "(x)", "funkcja wykładnicza e^x", "każde x"},
    {"log", NameHelp::kFunction, "(x) lub (a, b)", "logarytm: log(x) dziesiętny (jak log10, log(1000) = 3), log(a, b) przy podstawie b", "x &gt; 0; a &gt; 0, b &gt; 0, b ≠ 1"},
    {"log10", NameHelp::kFunction, "(x)", "logarytm dziesiętny", "x &gt; 0"},
    {"ln", NameHelp::kFunction, "(x)", "logarytm naturalny", "x &gt; 0"},
    {"sqr", NameHelp::kFunction, "(x)", "kwadrat, x^2", "każde x"},
    {"sqrt", NameHelp::kFunction, "(x)", "pierwiastek kwadratowy", "x ≥ 0"},
    {"abs", NameHelp::kFunction, "(x)", "wartość bezwzględna", "każde x"},
    {"sgn", NameHelp::kFunction, "(x)", "znak liczby: −1 dla x &lt; 0, 0 dla x = 0, 1 dla x &gt; 0", "każde x"},
    {"floor", NameHelp::kFunction, "(x)", "część całkowita [x]: największa liczba całkowita nie większa niż x; [−1.5] = −2", "każde x"},
    {"ceil", NameHelp::kFunction, "(x)", "najmniejsza liczba całkowita nie mniejsza niż x", "każde x"},
    {"round", NameHelp::kFunction, "(x)", "zaokrąglenie do liczby całkowitej, połówki od zera: zaokr(2.5) = 3, zaokr(−2.5) = −3", "każde x"},
    {"frac", NameHelp::kFunction, "(x)", "część ułamkowa x − [x], od 0 do 1: mantysa(−0.25) = 0.75", "każde x"},
    {"min", NameHelp::kFunction, "(a, b)", "mniejsza z liczb a i b", "każde a, b"},
    {"max", NameHelp::kFunction, "(a, b)", "większa z liczb a i b", "każde a, b"},
    {"mod", NameHelp::kFunction, "(a, b)", "reszta z dzielenia: a − b·[a/b]; mod(7, 3) = 1, mod(−1, 3) = 2", "b ≠ 0"},
    {"if", NameHelp::kFunction, "(warunek, a, b) lub (warunek, a)", "a tam, gdzie warunek jest spełniony, b w pozostałych punktach; bez b funkcja jest określona tylko tam, gdzie warunek jest spełniony", "według warunku"},
    {"and", NameHelp::kCondition, "", "oba warunki: <tt>0 &lt; x i x &lt; 2</tt>", ""},
    {"or", NameHelp::kCondition, "", "co najmniej jeden z warunków: <tt>x &lt; 0 lub x &gt; 2</tt>", ""},
    {"not", NameHelp::kCondition, "", "zaprzeczenie warunku: <tt>nie (x &lt; 0)</tt>", ""},
};
// clang-format on

const NameHelp* HelpOf(const std::string& name)
{
    for (const NameHelp& help : kNameHelp) {
        if (name == help.name)
            return &help;
    }
    return nullptr;
}

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// The names of the language, grouped by the token they stand for, each
// group as one row: the variable and constants first, then the functions.
QString NameTables()
{
    const Function language;
    std::map<int32_t, std::vector<std::string>> byToken;
    for (const auto& [name, token] : language.GetNames())
        byToken[token].push_back(name);

    QString constants;
    QString functions;
    QString conditions;
    for (const auto& [token, names] : byToken) {
        const NameHelp* help = nullptr;
        QStringList shown;
        for (const std::string& name : names) {
            if (help == nullptr)
                help = HelpOf(name);
            shown << QStringLiteral("<b>%1</b>").arg(FromCp1250(name).toHtmlEscaped());
        }
        const QString meaning = help ? Utf8(help->meaning) : QString();
        if (help != nullptr && help->kind == NameHelp::kValue) {
            constants += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                             .arg(shown.join(QStringLiteral(", ")), meaning);
            continue;
        }
        if (help != nullptr && help->kind == NameHelp::kCondition) {
            conditions += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                              .arg(shown.join(QStringLiteral(", ")), meaning);
            continue;
        }
        functions += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>")
                         .arg(shown.join(QStringLiteral(", ")),
                              help ? Utf8(help->arguments) : QString(), meaning,
                              help ? Utf8(help->domain) : QString());
    }
    return Utf8("<h3>Zmienna i stałe</h3><table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">"
                "<tr><th>nazwa</th><th>znaczenie</th></tr>") +
           constants +
           Utf8("</table><h3>Funkcje</h3>"
                "<p>Każda funkcja ma nazwę polską i angielską (lub kilka), wszystkie znaczą to "
                "samo. Argumenty funkcji dwuargumentowych oddziela przecinek: "
                "<tt>log(x,2)</tt>, <tt>root(x,3)</tt>.</p>"
                "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">"
                "<tr><th>nazwy</th><th>argumenty</th><th>wartość</th><th>dziedzina</th></tr>") +
           functions +
           Utf8("</table><h3>Słowa warunków</h3>"
                "<p>Łączą porównania w warunku funkcji <tt>jeżeli</tt>; <b>nie</b> wiąże "
                "najsilniej, potem <b>i</b>, na końcu <b>lub</b>.</p>"
                "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\">"
                "<tr><th>nazwy</th><th>znaczenie</th></tr>") +
           conditions + QStringLiteral("</table>");
}

} // namespace

QString HelpHtml()
{
    QString html = Utf8(R"(<html><body>
<h1>Osiowiec 2.0 – pomoc</h1>
<p><b>Spis treści:</b>
<a href="#wzory">Wzory</a> ·
<a href="#funkcje">Funkcje i stałe</a> ·
<a href="#mysz">Mysz i klawisze</a> ·
<a href="#odczyt">Odczyt wykresu</a> ·
<a href="#tabela">Tabela wartości</a> ·
<a href="#pliki">Pliki</a> ·
<a href="#eksport">Drukowanie i eksport</a> ·
<a href="#komunikacja">Komunikacja</a> ·
<a href="#cli">Wiersz poleceń</a></p>

<h2><a name="wzory"></a>Wzory</h2>
<p>Wykres przedstawia funkcje y = f(x). Wzór wpisuje się w oknie „Funkcja”
(<i>Wykres &gt; Dodaj funkcję...</i>, Ctrl+D); pod polem wzoru stale widać „Status: OK”
albo opis błędu, a błędne miejsce jest zaznaczone na czerwono.
Wielkość liter w nazwach nie ma znaczenia: <tt>SIN(X)</tt> to <tt>sin(x)</tt>.</p>
<p><b>Liczby</b> piszemy z kropką dziesiętną, także w zapisie wykładniczym:
<tt>2.5</tt>, <tt>1e-3</tt>, <tt>2e3</tt> (= 2000). Przecinek oddziela argumenty funkcji,
więc <tt>0,5</tt> poza nawiasem funkcji jest błędem z podpowiedzią „Ułamki dziesiętne pisz
z kropką: 0.5 zamiast 0,5”.</p>
<p><b>Działania</b>, od najsilniej wiążącego:</p>
<ol>
<li>nawiasy <tt>( )</tt> i wywołania funkcji, np. <tt>sin(x)</tt>;</li>
<li>potęgowanie <tt>^</tt>, liczone od lewej: <tt>2^3^2</tt> = (2^3)^2 = 64;
po <tt>^</tt> może stać znak: <tt>x^-2</tt> = x^(−2), <tt>2^-1</tt> = 0.5;</li>
<li>mnożenie <tt>*</tt> i dzielenie <tt>/</tt>, od lewej, oraz iloczyny bez znaku mnożenia
(niżej); po <tt>*</tt> i <tt>/</tt> może stać znak: <tt>2*-x</tt>, <tt>x/-2</tt>;</li>
<li>znak na początku wyrażenia lub w nawiasie: <tt>-x^2</tt> = −(x^2);</li>
<li>dodawanie <tt>+</tt> i odejmowanie <tt>-</tt>, od lewej.</li>
</ol>
<p>Dwa znaki z rzędu są błędem (<tt>2^--1</tt>).</p>
<p><b>Iloczyny bez znaku mnożenia</b> wiążą tak jak <tt>*</tt>, więc <tt>1/2x</tt> = (1/2)·x:</p>
<ul>
<li>po liczbie: <tt>2x</tt>, <tt>3 x</tt>, <tt>2sin(x)</tt>, <tt>4pi</tt>, <tt>2e</tt> (= 2·e);</li>
<li>przed nawiasem, po liczbie, nawiasie, x lub stałej: <tt>2(x+1)</tt>, <tt>(x+1)(x-1)</tt>,
<tt>x(x+1)</tt>, <tt>pi(x+1)</tt>, <tt>sin(x)(x+1)</tt>;</li>
<li>przed nazwą (x, stałą lub funkcją), po nawiasie, x lub stałej: <tt>(x+1)x</tt>,
<tt>x sin(x)</tt>, <tt>pi x</tt>, <tt>e x</tt>.</li>
</ul>
<p>Nazwa funkcji przed nawiasem to zawsze wywołanie. Liczba po nawiasie lub po nazwie jest
błędem (<tt>(x+1)2</tt>), a nazwy czyta się w całości: <tt>xsin(x)</tt> to nieznany symbol
„xsin” – trzeba napisać <tt>x sin(x)</tt> albo <tt>x*sin(x)</tt>.</p>
<p><b>Funkcje określone przedziałami.</b> <tt>jeżeli(warunek, a, b)</tt> (lub
<tt>if(warunek, a, b)</tt>) jest równa a tam, gdzie warunek jest spełniony, a b w pozostałych
punktach; <tt>jeżeli(warunek, a)</tt> jest określona tylko tam, gdzie warunek jest spełniony
(funkcja o zawężonej dziedzinie). Warunek porównuje wyrażenia znakami <tt>&lt;</tt>,
<tt>&lt;=</tt>, <tt>&gt;</tt>, <tt>&gt;=</tt>, <tt>=</tt> i <tt>&lt;&gt;</tt> (różne);
łańcuch <tt>0 &lt;= x &lt; 2</tt> oznacza oba porównania naraz. Porównania łączą słowa
<b>i</b> (<b>and</b>), <b>lub</b> (<b>or</b>) i <b>nie</b> (<b>not</b>), także w nawiasach.
Zagnieżdżając funkcje <tt>jeżeli</tt>, zapisuje się dowolnie wiele kawałków:</p>
<ul>
<li><tt>jeżeli(x &lt; 0, x + 1, x^2)</tt> – f(x) = x + 1 dla x &lt; 0 i x² dla x ≥ 0;</li>
<li><tt>jeżeli(0 &lt;= x &lt;= 2, x^2)</tt> – x² tylko na przedziale ⟨0, 2⟩;</li>
<li><tt>jeżeli(x &lt; -1, -1, jeżeli(x &lt;= 1, x, 1))</tt> – trzy kawałki;</li>
<li><tt>jeżeli(x &lt; 0 lub x &gt; 3, 0, 1)</tt>, <tt>jeżeli(nie (x = 0), sin(x)/x, 1)</tt>.</li>
</ul>
<p>Warunek nie jest liczbą: <tt>x + (x &lt; 1)</tt> i <tt>jeżeli(x, 1, 2)</tt> są błędami.
Tam, gdzie kawałki się nie stykają (skok), wykres ma przerwę bez pionowej kreski, a jego
końce leżą dokładnie w miejscu skoku; tabela pokazuje wartość określoną w tym punkcie,
a analiza wykresu nie uznaje skoku za miejsce zerowe ani za ekstremum. Tak samo rysowane są schodki funkcji
<tt>floor</tt>, <tt>ceil</tt>, <tt>round</tt>, <tt>frac</tt>, <tt>sgn</tt> i <tt>mod</tt>;
ich pochodna jest równa 0 poza skokami, a w skoku nie istnieje.</p>
<p><b>Kąty</b> są w radianach, a w stopniach, gdy na stronie „Obliczenia” ustawień wykresu
wybrano stopnie; dotyczy to funkcji trygonometrycznych i odwrotnych do nich.</p>
<p><b>Pochodne.</b> W oknie „Funkcja” można wybrać, czy rysować samą funkcję, czy jej
pierwszą lub drugą pochodną. Pochodna jest liczona dokładnie (różniczkowaniem automatycznym
w arytmetyce szeregów Taylora, bez przybliżania ilorazem różnicowym); tam, gdzie pochodna nie
istnieje (np. <tt>abs(x)</tt> lub <tt>sqrt(x)</tt> w zerze), wykres ma przerwę, a tabela pustą
komórkę. Legenda i tabela pokazują pochodną jako wzór w nawiasie z apostrofami:
<tt>(x^3)'</tt>, <tt>(x^3)''</tt>.</p>
<p><b>Pola liczbowe</b> ustawień (zakres, odstępy siatki i podziałki, krok tabeli) też są
wzorami, liczonymi dla x = 0: można wpisać np. <tt>2pi</tt> albo <tt>pi/4</tt>.</p>
<p><b>Błędy obliczeń</b> (dzielenie przez zero, argument spoza dziedziny) nie przerywają
rysowania: w tych miejscach wykres ma przerwę, a tabela pustą komórkę.</p>

<h2><a name="funkcje"></a>Funkcje i stałe</h2>
)");
    html += NameTables();
    html += Utf8(R"(
<h2><a name="mysz"></a>Mysz i klawisze</h2>
<p>Tryb myszy wybiera się w menu <i>Wykres</i> lub na pasku narzędzi:</p>
<ul>
<li><b>Wskazywanie</b> – pasek stanu pokazuje współrzędne x i y punktu pod wskaźnikiem;</li>
<li><b>Przesuwanie</b> – przeciąganie lewym przyciskiem przesuwa wykres;</li>
<li><b>Powiększanie</b> – prostokąt przeciągnięty w prawo i w dół staje się widocznym obszarem;
kliknięcie albo prostokąt w innym kierunku cofa ostatnie powiększenie.</li>
</ul>
<p>W każdym trybie:</p>
<ul>
<li><b>kółko myszy</b> powiększa (od siebie) i pomniejsza (do siebie) wokół wskaźnika: punkt
wykresu pod wskaźnikiem zostaje na miejscu; jeden ząbek to 2^(1/4), cztery ząbki – dwa razy.
Ruchy kółka w odstępach krótszych niż pół sekundy tworzą jeden krok, który Ctrl+Z cofa
w całości;</li>
<li><b>touchpad</b>: przesuwanie dwoma palcami przesuwa wykres, rozsunięcie lub zsunięcie
palców powiększa lub pomniejsza wokół ich środka (jeden krok na gest);</li>
<li><b>środkowy przycisk</b> przeciągany przesuwa wykres;</li>
<li><b>prawy przycisk</b> otwiera menu wykresu (także klawisz menu i Shift+F10).</li>
</ul>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>klawisz</th><th>działanie</th></tr>
<tr><td>strzałki</td><td>przesuwają wykres o jedną dziesiątą widocznego zakresu
(bez kroku do cofania); działają, gdy wykres ma fokus (kliknij go)</td></tr>
<tr><td>+ , = , + na klawiaturze numerycznej, Ctrl+I</td><td>Powiększ (dwukrotnie)</td></tr>
<tr><td>− , − na klawiaturze numerycznej, Ctrl+U</td><td>Pomniejsz (dwukrotnie)</td></tr>
<tr><td>Ctrl+Z</td><td>Cofnij ostatnie powiększenie lub pomniejszenie (do 10 kroków)</td></tr>
<tr><td>Ctrl+C, Ctrl+Insert</td><td>Kopiuj: wykres jako obraz albo zaznaczone wiersze tabeli</td></tr>
<tr><td>Ctrl+D</td><td>Dodaj funkcję</td></tr>
<tr><td>Ctrl+W</td><td>Właściwości wykresu</td></tr>
<tr><td>Ctrl+N, Ctrl+O, Ctrl+S</td><td>Nowy, Otwórz, Zapisz</td></tr>
<tr><td>Ctrl+P</td><td>Drukuj</td></tr>
<tr><td>F6, Shift+F6</td><td>przejście między tabelą a wykresem</td></tr>
<tr><td>Ctrl+F4</td><td>zamknięcie okna wykresu</td></tr>
<tr><td>F1</td><td>ta pomoc</td></tr>
</table>
<p><b>Prowadnice</b> (<i>Widok &gt; Prowadnice</i>) to kropkowane linie przez wskaźnik.</p>
<p><i>Widok &gt; Wygładzanie krawędzi</i> (domyślnie włączone) rysuje krzywe, osie i siatkę
gładko na ekranie, w schowku, w eksporcie i na wydruku; wyłączone daje dokładnie te same
piksele bez wygładzania.</p>

<h2><a name="odczyt"></a>Odczyt wykresu</h2>
<p>Gdy wskaźnik znajdzie się kilka punktów od krzywej, na krzywej pojawia się znacznik, a obok
wartość funkcji obliczona dokładnie w tym x, np. <code>sin(x) = 0.841470984807897</code>. Przy
włączonych prowadnicach widać wartości wszystkich widocznych funkcji w x prowadnicy. Pierwszy
wiersz podaje x; gdy funkcji jest więcej, niż zmieści się w oknie, widać najbliższe wskaźnikowi,
a ostatni wiersz mówi, ile pominięto („… i 7 innych”).</p>
<p><i>Wykres &gt; Punkty charakterystyczne</i> zaznacza kółkami miejsca zerowe, minima, maksima
i punkty przecięcia widocznych funkcji w widocznym zakresie. Wskazanie kółka pokazuje rodzaj
punktu i jego współrzędne, kliknięcie (w trybie wskazywania) kopiuje „x; y” do schowka.
Ustawienie jest zapamiętywane w programie, nie w pliku wykresu.</p>
<p><i>Wykres &gt; Analiza wykresu...</i> wypisuje te punkty z pełną dokładnością; Ctrl+C kopiuje
zaznaczone wiersze, <i>Zapisz CSV...</i> zapisuje całą listę.</p>
<p><i>Wykres &gt; Pole pod wykresem...</i> oblicza w podanym przedziale (granice można podać
wzorami, np. <code>pi</code>) całkę oznaczoną wybranej funkcji (pole ze znakiem: części pod osią X
liczą się ujemnie), pole obszaru między jej wykresem a osią X albo pole obszaru między dwoma
wykresami, wraz z błędem, którego wynik na pewno nie przekracza, a po <i>OK</i> zaznacza je na
wykresie z podpisem „Pole = …” do najbliższej zmiany wykresu. Dla dwóch wykresów przedział
wypełnia się skrajnymi punktami ich przecięcia w widocznym zakresie. Całki rozbieżnej, funkcji
nieokreślonej w części przedziału ani pola, którego nie da się obliczyć z błędem najwyżej jednej
milionowej, program nie liczy.
Zaznaczone pole i kółka punktów charakterystycznych trafiają także do schowka (Ctrl+C), eksportu
i wydruku; okno rozmiaru eksportowanego obrazu pozwala je pominąć
(„Z punktami charakterystycznymi”).</p>
<p>Podziałki automatyczne stoją na okrągłych wartościach 1, 2, 5, 10, 20, … i zawsze tak gęsto,
jak pozwalają napisy, które nigdy na siebie nie zachodzą. Na stronie <i>Podziałka</i> ustawień
wykresu „Podziałka osi X w wielokrotnościach π” opisuje oś X funkcji trygonometrycznych
w radianach jako π/2, π, 3π/2, …, a „Odstępy jak w wersji 2.0” przywraca dawną regułę (jedna
dziesiąta zakresu). Oba przełączniki obowiązują we wszystkich wykresach i są zapamiętywane
w programie, nie w pliku wykresu.</p>

<h2><a name="tabela"></a>Tabela wartości</h2>
<p><i>Widok &gt; Tabela wartości</i> pokazuje lub ukrywa tabelę po lewej stronie okna. Pierwsza
kolumna to x, dalej po jednej kolumnie na każdą widoczną funkcję. Zakres i krok tabeli ustawia
strona „Tabela wartości” ustawień wykresu: własne albo zgodne z zakresem wykresu.
Komórka jest pusta tam, gdzie funkcja nie ma wartości. Liczba za szeroka na kolumnę traci
końcowe cyfry znaczące, nigdy nie jest ucinana; wartość mniejsza niż jedna bilionowa
największej w kolumnie (np. sin(2π) = 2.44929e-16) jest pokazana jako 0, a dokładną wartość
każdej komórki podaje jej podpowiedź.</p>
<p>Wiersze zaznacza się kliknięciem, z Shift (zakres) i Ctrl (pojedyncze wiersze), Ctrl+A
zaznacza wszystkie. Ctrl+C (lub <i>Kopiuj</i> z menu tabeli) kopiuje zaznaczone wiersze,
a gdy żaden nie jest zaznaczony – całą tabelę, z wierszem nagłówka, jako tekst rozdzielany
tabulatorami i jako CSV; można go wkleić do arkusza kalkulacyjnego.</p>

<h2><a name="pliki"></a>Pliki</h2>
<p>Wykres (funkcje, wszystkie ustawienia, historia powiększeń, układ tabeli) zapisuje się
w pliku „.osw”: <i>Plik &gt; Zapisz</i> (Ctrl+S) i <i>Zapisz jako...</i>; nazwa bez „.osw”
dostaje to rozszerzenie. <i>Plik &gt; Otwórz...</i> (Ctrl+O) otwiera wykres; menu
<i>Plik</i> pamięta cztery ostatnie pliki. Plik można też upuścić na okno programu albo
podać w wierszu poleceń: <tt>osiowiec wykres.osw</tt>. Pliki zapisują się w całości albo
wcale: nieudany zapis zostawia stary plik nietknięty.</p>

<h2><a name="eksport"></a>Drukowanie i eksport</h2>
<p><i>Plik &gt; Drukuj...</i> (Ctrl+P) drukuje wykres na jednej stronie, <i>Podgląd wydruku</i>
pokazuje stronę przed drukiem, a <i>Ustawienia wydruku...</i> wybierają papier, orientację
i marginesy.</p>
<p><i>Plik &gt; Eksportuj wykres...</i> zapisuje wykres jako obraz PNG, rysunek SVG albo
dokument PDF – według rozszerzenia nazwy lub typu wybranego w oknie (brakujące rozszerzenie
zostanie dodane). PNG i SVG mają rozmiar okna wykresu albo rozmiar wpisany w oknie
„Rozmiar obrazu”, z tłem wykresu; PDF wygląda jak wydruk.
<i>Plik &gt; Eksportuj tabelę...</i> zapisuje tabelę wartości jako plik CSV.</p>
<p>Ctrl+C na wykresie kopiuje go do schowka jako obraz (PNG i SVG) taki, jak na ekranie.</p>

<h2><a name="komunikacja"></a>Komunikacja</h2>
<p>Wykres można pokazywać na innych komputerach. W jednej kopii programu:
<i>Komunikacja &gt; Serwer</i> i „Uruchom” (domyślnie port 2001, najwyżej 5 klientów).
W innej: <i>Komunikacja &gt; Klient</i>, adres serwera i „Połącz”. Klient pokazuje to, co
aktywny wykres serwera, po każdej zmianie; wykres klienta z niezapisanymi zmianami lub
z własnym plikiem nie jest zastępowany – otrzymany otwiera się w nowym oknie. Zamknięcie
wykresu klienta kończy połączenie.</p>

<h2><a name="cli"></a>Wiersz poleceń</h2>
<p>Program <tt>osiowiec-cli</tt> działa na tych samych plikach bez okien:</p>
<table border="1" cellpadding="3" cellspacing="0">
<tr><th>polecenie</th><th>działanie</th></tr>
<tr><td><tt>eval [--degrees] [--order N] WZÓR [X ...]</tt></td><td>wartość wzoru dla każdego X</td></tr>
<tr><td><tt>new [opcje] -o PLIK</tt></td><td>tworzy wykres: <tt>-f "WZÓR[;RZĄD[;#RRGGBB[;hidden]]]"</tt>,
<tt>--x MIN:MAX</tt>, <tt>--y MIN:MAX</tt>, <tt>--points N</tt>, <tt>--degrees</tt>, <tt>--dots</tt>,
<tt>--grid X:Y</tt>, <tt>--scale X:Y</tt>, <tt>--table MIN:MAX:KROK</tt>, <tt>--header TEKST</tt>,
<tt>--caption TEKST</tt></td></tr>
<tr><td><tt>dump [--computed] PLIK</tt></td><td>cały wykres jako JSON</td></tr>
<tr><td><tt>table PLIK</tt></td><td>tabela wartości jako CSV</td></tr>
<tr><td><tt>render PLIK -o WYJŚCIE [--size SxW] [--aliased] [--points] [--area I:A:B
[--kind signed|geometric] [--and J]] [--pi] [--classic]</tt></td><td>wykres jako PNG, SVG lub PDF;
bez wygładzania, z punktami charakterystycznymi, z zaznaczonym polem pod funkcją I od A do B (pole
obszaru, między wykresami I i J), z podziałką w wielokrotnościach π, z odstępami jak w wersji
2.0</td></tr>
<tr><td><tt>serve PLIK [--port P] [--max N]</tt></td><td>serwer udostępniający plik</td></tr>
<tr><td><tt>receive HOST [--port P] [--count N] -o WZORZEC</tt></td><td>klient zapisujący
otrzymane wykresy</td></tr>
</table>
</body></html>
)");
    return html;
}
