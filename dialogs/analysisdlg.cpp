#include "dialogs/analysisdlg.h"

#include "chart/chartmessages.h"
#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "chart/tablecsv.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"
#include "framework/qtstring.h"
#include "framework/valuetext.h"
#include "platform/fileio.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char* const kColumns[] = {"Rodzaj", "Funkcja", "x", "y"};

} // namespace

CAnalysisDlg::CAnalysisDlg(const FunctionContainer& chart, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Analiza wykresu"));
    Analyze(chart);

    const ChartSettings& s = chart.GetSettings();
    auto* range = new QLabel(QString::fromUtf8("Zakres: x od %1 do %2")
                                 .arg(ValueText(s.m_xMin), ValueText(s.m_xMax)),
                             this);
    m_wndTable = new QTableWidget(static_cast<int>(m_rows.size()), 4, this);
    QStringList headers;
    for (const char* column : kColumns)
        headers << QString::fromUtf8(column);
    m_wndTable->setHorizontalHeaderLabels(headers);
    m_wndTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_wndTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_wndTable->verticalHeader()->setVisible(false);
    for (int r = 0; r < static_cast<int>(m_rows.size()); ++r) {
        const Row& row = m_rows[static_cast<std::size_t>(r)];
        const QString cells[] = {row.kind, row.function, row.xText, row.yText};
        for (int c = 0; c < 4; ++c)
            m_wndTable->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    m_wndTable->resizeColumnsToContents();
    m_wndTable->horizontalHeader()->setStretchLastSection(true);

    // The table's own Ctrl+C copies one cell; this one copies whole rows.
    m_wndTable->installEventFilter(this);

    QString summary = m_rows.empty() ? QString::fromUtf8("Nie znaleziono punktów charakterystycznych.")
                                     : QString::fromUtf8("Punktów: %1.").arg(m_rows.size());
    if (m_bTruncated)
        summary += QString::fromUtf8(" Lista jest niepełna: nie wszystkie punkty zmieściły się w limicie.");
    auto* note = new QLabel(summary, this);

    auto* save = new QPushButton(QStringLiteral("&Zapisz CSV..."), this);
    auto* close = new QPushButton(QStringLiteral("Zamknij"), this);
    close->setDefault(true);
    connect(save, &QPushButton::clicked, this, &CAnalysisDlg::SaveCsv);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(range);
    layout->addWidget(m_wndTable);
    layout->addWidget(note);
    layout->addLayout(buttons);
    resize(640, 420);
}

void CAnalysisDlg::Analyze(const FunctionContainer& chart)
{
    const ChartSettings& s = chart.GetSettings();
    if (!std::isfinite(s.m_xMin) || !std::isfinite(s.m_xMax) || !(s.m_xMin < s.m_xMax))
        return;
    const ChartAnswers answers = CurveAnalysis(chart).Analyze(s.m_xMin, s.m_xMax);
    const QString zero = QString::fromUtf8("Miejsce zerowe");
    auto point = [](const QString& kind, const QString& label, double x, double y) {
        return Row{kind, label, x, ValueText(x), ValueText(y)};
    };
    auto unresolved = [](const QString& label, double from, double to) {
        return Row{QString::fromUtf8("Nie rozstrzygnięto w przedziale od %1 do %2")
                       .arg(ValueText(from), ValueText(to)),
                   label, from, QString(), QString()};
    };
    for (const FunctionAnswers& function : answers.m_functions) {
        const QString label = FromCp1250(function.m_strLabel);
        std::vector<Row> rows;
        for (double x : function.m_points.zeros)
            rows.push_back(point(zero, label, x, 0.0));
        for (const CurvePoint& p : function.m_points.minima)
            rows.push_back(point(QStringLiteral("Minimum"), label, p.x, p.y));
        for (const CurvePoint& p : function.m_points.maxima)
            rows.push_back(point(QStringLiteral("Maksimum"), label, p.x, p.y));
        for (const XRange& r : function.m_points.unresolved)
            rows.push_back(unresolved(label, r.from, r.to));
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.x < b.x; });
        m_rows.insert(m_rows.end(), rows.begin(), rows.end());
        m_bTruncated = m_bTruncated || function.m_points.truncated;
    }
    auto labelOf = [&answers](int32_t index) {
        for (const FunctionAnswers& function : answers.m_functions) {
            if (function.m_nIndex == index)
                return FromCp1250(function.m_strLabel);
        }
        return QString();
    };
    auto pairOf = [&labelOf](int32_t first, int32_t second) {
        return labelOf(first) + QStringLiteral(" i ") + labelOf(second);
    };
    std::vector<Row> rows;
    for (const CurveIntersection& meet : answers.m_intersections) {
        rows.push_back(point(QString::fromUtf8("Punkt przecięcia"),
                             pairOf(meet.m_nFirst, meet.m_nSecond), meet.x, meet.y));
    }
    for (const CurveStretch& s : answers.m_coinciding) {
        rows.push_back({QString::fromUtf8("Wykresy pokrywają się"), pairOf(s.m_nFirst, s.m_nSecond),
                        s.from,
                        QString::fromUtf8("od %1 do %2").arg(ValueText(s.from), ValueText(s.to)),
                        QString()});
    }
    for (const CurveStretch& s : answers.m_unresolvedMeetings)
        rows.push_back(unresolved(pairOf(s.m_nFirst, s.m_nSecond), s.from, s.to));
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.x < b.x; });
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    m_bTruncated = m_bTruncated || answers.m_bIntersectionsTruncated;
}

bool CAnalysisDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_wndTable && (event->type() == QEvent::ShortcutOverride ||
                                  event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        // Taken before the main window's Ctrl+C, which copies the chart.
        if (event->type() == QEvent::ShortcutOverride)
            event->accept();
        else
            CopySelection();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString CAnalysisDlg::SelectedText() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_wndTable->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty())
        return QString();
    // The header row first, as the value table's copy has it.
    QStringList headers;
    for (const char* column : kColumns)
        headers << QString::fromUtf8(column);
    QString text = headers.join('\t') + '\n';
    for (int r : rows) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << m_wndTable->item(r, c)->text();
        text += cells.join('\t') + '\n';
    }
    return text;
}

void CAnalysisDlg::CopySelection()
{
    const QString text = SelectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

std::string CAnalysisDlg::CsvText() const
{
    // The same CSV as the value table's export: UTF-8, commas, "\n".
    std::string text;
    for (const char* column : kColumns)
        text.append(text.empty() ? "" : ",").append(column);
    text += '\n';
    for (const Row& row : m_rows) {
        text.append(CsvField(row.kind.toStdString())).append(",");
        text.append(CsvField(row.function.toStdString())).append(",");
        text.append(CsvField(row.xText.toStdString())).append(",");
        text.append(CsvField(row.yText.toStdString())).append("\n");
    }
    return text;
}

void CAnalysisDlg::SaveCsv()
{
    const QString path = AskSaveFileName(this, QStringLiteral("Zapisz analizę"), QStringLiteral("analiza.csv"),
                                         QString::fromUtf8("Pliki CSV (*.csv)"), QStringLiteral(".csv"));
    if (path.isEmpty())
        return;
    const std::string text = CsvText();
    const std::string file = QFile::encodeName(path).toStdString();
    // Never into a FIFO or a device, which would keep the window waiting.
    WriteFailure failure = WriteFailure::kNone;
    if (!WriteFileAtomically(file, std::vector<uint8_t>(text.begin(), text.end()), &failure,
                             SpecialTarget::kRefuse))
        ShowStopMessage(this, ChartMessage::WriteFailed(ToCp1250(path), failure));
}

void RunAnalysisDialog(const FunctionContainer& chart, QWidget* parent)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CAnalysisDlg dialog(chart, parent);
    QApplication::restoreOverrideCursor();
    dialog.exec();
}
