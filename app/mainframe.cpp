#include "app/mainframe.h"

#include "app/aboutdlg.h"
#include "app/chartexport.h"
#include "app/childframe.h"
#include "app/commandtable.h"
#include "app/helpwindow.h"
#include "app/icons/commandicons.h"
#include "dialogs/analysisdlg.h"
#include "dialogs/areadlg.h"
#include "dialogs/chartdialogs.h"
#include "document/zeltra20doc.h"
#include "framework/chartrender.h"
#include "framework/docmanager.h"
#include "framework/messagebox.h"
#include "framework/programsettings.h"
#include "framework/qtstring.h"
#include "net/clientdlg.h"
#include "net/serverdlg.h"
#include "views/tableview.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {

constexpr char kIdleText[] = "Aby uzyskać pomoc, wciśnij F1";
const QString kPointsOfInterestKey = QStringLiteral("Settings/PointsOfInterest");

Qt::CursorShape CursorOf(int mode)
{
    switch (mode) {
    case Cmd::kModePan:
        return Qt::SizeAllCursor;
    case Cmd::kModeZoom:
        return Qt::CrossCursor;
    default:
        return Qt::ArrowCursor;
    }
}

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// A recent file as its menu item shows it: a long path as ".../name", a name
// too long for a menu cut in its middle (the status line shows it whole),
// and every "&" doubled, or it would mark the next letter as the item's key.
QString RecentFileText(const QString& path)
{
    constexpr int kLongest = 50;
    QString shown = path;
    if (shown.size() > kLongest) {
        QString name = QFileInfo(path).fileName();
        if (name.size() > kLongest - 4)
            name = name.left(kLongest / 2 - 4) + QStringLiteral("...") + name.right(kLongest / 2 - 3);
        shown = QStringLiteral("...") + QDir::separator() + name;
    }
    return shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

CMainFrame::CMainFrame()
{
    setWindowTitle(AppTitle());
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        CChildFrame* frame = window ? FrameOf(window) : nullptr;
        if (frame == nullptr)
            return;
        const bool otherChart = m_pLastActive != nullptr && &m_pLastActive->GetDocument() != &frame->GetDocument();
        m_pLastActive = frame;
        frame->GetDocument().ActivateWindow(frame);
        UpdateTitles();
        UpdateActions();
        // Clients show the chart in front: another one brought forward goes
        // out to them.
        if (otherChart)
            SendChartToClients();
        // Charts that waited for a window go into this one, once it is
        // set up: activation comes while a new window is still being made.
        QMetaObject::invokeMethod(&m_client, &CClientSocket::ResumeReading, Qt::QueuedConnection);
    });

    m_pDocManager = std::make_unique<CDocManager>(
        this, QStringLiteral("Wykres"), QStringLiteral("Osiowiec (*.osw)"), QStringLiteral(".osw"),
        [] {
            auto document = std::make_unique<CZeltra20Doc>();
            document->SetDialogs(RunFunctionDialog, RunSettingsSheet);
            return document;
        },
        [this](CDocument& document) { ActivateChart(static_cast<CZeltra20Doc&>(document)); });
    connect(m_pDocManager.get(), &CDocManager::documentsChanged, this, &CMainFrame::UpdateActions);

    m_bPointsOfInterest = QSettings().value(kPointsOfInterestKey, true).toBool();
    m_bAntialiasing = ReadAntialiasing();
    m_spacingRule = ReadSpacingRule();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    UpdateActions();
    resize(1024, 768);

    connect(&m_server, &CServerSocket::stateChanged, this, &CMainFrame::UpdateSharingPanes);
    connect(&m_client, &CClientSocket::stateChanged, this, &CMainFrame::UpdateSharingPanes);
    m_resumeReading.setSingleShot(true);
    m_resumeReading.setInterval(100);
    connect(&m_resumeReading, &QTimer::timeout, &m_client, &CClientSocket::ResumeReading);
}

CMainFrame::~CMainFrame()
{
    // Nothing is sent from or received into charts that are going.
    m_client.Close();
    m_server.Close();
    // Chart windows go first, at once: they reach back here and to their
    // documents while they go.
    qDeleteAll(m_pMdiArea->subWindowList());
    m_pDocManager.reset();
}

QAction* CMainFrame::GetAction(int command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions()
{
    for (const CommandText& c : kCommandTable) {
        const int id = c.id;
        auto* action = new QAction(Utf8(c.text), this);
        const QString prompt = Utf8(c.prompt);
        const int lineBreak = prompt.indexOf('\n');
        if (lineBreak >= 0) {
            action->setStatusTip(prompt.left(lineBreak));
            action->setToolTip(prompt.mid(lineBreak + 1));
        }
        QList<QKeySequence> keys;
        for (const QString& key : QString::fromLatin1(c.keys).split('|', Qt::SkipEmptyParts))
            keys << QKeySequence(key);
        action->setShortcuts(keys);
        action->setCheckable(c.checkable);
        action->setIcon(CommandIcon(id));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        // On the window itself, so the keys work whichever menu bar is shown.
        addAction(action);
        m_actions[id] = action;
    }
    // The mouse modes are one set of radio items, in the menu and on the
    // toolbar: choosing one clears the others.
    auto* modes = new QActionGroup(this);
    for (int mode : {Cmd::kModePoint, Cmd::kModePan, Cmd::kModeZoom})
        modes->addAction(m_actions[mode]);
    // Help for a pointed-at element has nothing to show.
    m_actions[Cmd::kContextHelp]->setEnabled(false);
    for (int i = 0; i < 2; ++i) {
        for (int n = 0; n < CDocManager::kRecentFiles; ++n) {
            auto* action = new QAction(this);
            connect(action, &QAction::triggered, this,
                    [this, n] { m_pDocManager->OpenRecentFile(n); });
            m_recentActions[i].push_back(action);
        }
    }
}

QAction* CMainFrame::Alias(int command, const QString& text)
{
    QAction* primary = GetAction(command);
    // The key is the primary's; the alias only shows it.
    const QString keys = primary->shortcut().toString(QKeySequence::NativeText);
    auto* action = new QAction(keys.isEmpty() ? text : text + '\t' + keys, this);
    action->setIcon(primary->icon());
    action->setStatusTip(primary->statusTip());
    action->setToolTip(primary->toolTip());
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    m_aliases.emplace_back(command, action);
    return action;
}

void CMainFrame::CreateMenus()
{
    auto menu = [this](const char* title, std::vector<QMenu*>& set) {
        auto* m = new QMenu(Utf8(title), this);
        set.push_back(m);
        return m;
    };
    auto add = [this](QMenu* m, std::initializer_list<int> commands) {
        for (int command : commands) {
            if (command == 0)
                m->addSeparator();
            else
                m->addAction(GetAction(command));
        }
    };

    // Menu 100, while no chart is open.
    QMenu* file = menu("&Plik", m_menusNoChart);
    connect(file, &QMenu::aboutToShow, this, [this, file] { FillFileMenu(file, false); });
    FillFileMenu(file, false);
    add(menu("&Widok", m_menusNoChart), {Cmd::kToolBar, Cmd::kStatusBar, 0, Cmd::kAntialiasing});
    add(menu("Pomo&c", m_menusNoChart), {Cmd::kHelp, Cmd::kAppAbout});

    // Menu 101, while one is.
    file = menu("&Plik", m_menusChart);
    connect(file, &QMenu::aboutToShow, this, [this, file] { FillFileMenu(file, true); });
    FillFileMenu(file, true);
    add(menu("W&ykres", m_menusChart),
        {Cmd::kAddFunction, Cmd::kProperties, 0, Cmd::kZoomIn, Cmd::kZoomOut, Cmd::kUndoZoom, 0,
         Cmd::kModePoint, Cmd::kModePan, Cmd::kModeZoom, 0, Cmd::kPointsOfInterest,
         Cmd::kAnalysis, Cmd::kArea});
    add(menu("&Widok", m_menusChart),
        {Cmd::kToolBar, Cmd::kStatusBar, Cmd::kToggleTable, Cmd::kGuides, 0, Cmd::kAntialiasing});
    add(menu("&Komunikacja", m_menusChart), {Cmd::kServer, Cmd::kClient});
    m_pWindowMenu = menu("&Okno", m_menusChart);
    connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::FillWindowMenu);
    FillWindowMenu();
    add(menu("Pomo&c", m_menusChart), {Cmd::kHelp, Cmd::kAppAbout});

    // Menu 130, the graph's and the table's context menu.
    m_pContextMenu = new QMenu(this);
    m_pContextMenu->addAction(Alias(Cmd::kAddFunction, Utf8("&Dodaj funkję...")));
    m_pContextMenu->addSeparator();
    // The graph copies its picture, the table its rows: the pane the menu
    // was asked for has the keyboard.
    m_pContextMenu->addAction(GetAction(Cmd::kEditCopy));
    m_pContextMenu->addSeparator();
    for (int command : {Cmd::kFunctions, Cmd::kRange, Cmd::kGridAxes, Cmd::kScale,
                        Cmd::kDescriptions, Cmd::kComputation, Cmd::kTableSettings})
        m_pContextMenu->addAction(GetAction(command));
    m_pContextMenu->addSeparator();
    for (int command : {Cmd::kPointsOfInterest, Cmd::kArea})
        m_pContextMenu->addAction(GetAction(command));
    m_pContextMenu->addSeparator();
    m_pContextMenu->addAction(Alias(Cmd::kZoomIn, Utf8("Po&większ")));
    m_pContextMenu->addAction(Alias(Cmd::kZoomOut, Utf8("Po&mniejsz")));
    m_pContextMenu->addAction(Alias(Cmd::kUndoZoom, Utf8("&Cofnij")));

    m_bMenusWithChart = true;
    ShowMenusFor(false);
}

void CMainFrame::FillFileMenu(QMenu* menu, bool withChart)
{
    menu->clear();
    static const std::vector<int> withChartItems = {
        Cmd::kFileNew,   Cmd::kFileOpen,         Cmd::kFileClose,      Cmd::kFileSave,
        Cmd::kFileSaveAs, 0, Cmd::kExportChart, Cmd::kExportTable, 0, Cmd::kFilePrint,
        Cmd::kFilePrintPreview, Cmd::kFilePrintSetup};
    static const std::vector<int> noChartItems = {Cmd::kFileNew, Cmd::kFileOpen, 0,
                                                  Cmd::kFilePrintSetup};
    for (int command : withChart ? withChartItems : noChartItems) {
        if (command == 0)
            menu->addSeparator();
        else
            menu->addAction(GetAction(command));
    }
    menu->addSeparator();
    const QStringList recent = m_pDocManager->GetRecentFiles();
    std::vector<QAction*>& actions = m_recentActions[withChart ? 1 : 0];
    if (recent.isEmpty()) {
        // The list's place, shown disabled until a chart was opened or saved.
        QAction* placeholder = menu->addAction(QStringLiteral("Recent File"));
        placeholder->setEnabled(false);
    }
    for (int i = 0; i < recent.size() && i < static_cast<int>(actions.size()); ++i) {
        const QString path = QDir::toNativeSeparators(recent.at(i));
        actions[i]->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(RecentFileText(path)));
        actions[i]->setStatusTip(path);
        menu->addAction(actions[i]);
    }
    menu->addSeparator();
    menu->addAction(GetAction(Cmd::kAppExit));
}

void CMainFrame::FillWindowMenu()
{
    QMenu* menu = m_pWindowMenu;
    menu->clear();
    for (int command : {Cmd::kNewWindow, Cmd::kCascade, Cmd::kTile, Cmd::kArrangeIcons,
                        Cmd::kSplitBar})
        menu->addAction(GetAction(command));
    menu->addSeparator();
    QAction* close = nullptr;
    for (const auto& [command, alias] : m_aliases) {
        if (command == Cmd::kFileClose)
            close = alias;
    }
    if (close == nullptr)
        close = Alias(Cmd::kFileClose, QStringLiteral("&Zamknij"));
    menu->addAction(close);
    menu->addAction(GetAction(Cmd::kCloseAll));

    // The open chart windows, the active one checked.
    if (!m_frames.empty())
        menu->addSeparator();
    CChildFrame* active = GetActiveFrame();
    for (int i = 0; i < static_cast<int>(m_frames.size()); ++i) {
        auto* window = qobject_cast<QMdiSubWindow*>(m_frames[i]->parentWidget());
        QString title = window->windowTitle();
        title.replace('&', QStringLiteral("&&"));
        QAction* item = menu->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                                              : QStringLiteral("%1 %2").arg(i + 1).arg(title));
        item->setCheckable(true);
        item->setChecked(m_frames[i] == active);
        connect(item, &QAction::triggered, this,
                [this, window] { m_pMdiArea->setActiveSubWindow(window); });
    }
}

void CMainFrame::ShowMenusFor(bool withChart)
{
    if (withChart == m_bMenusWithChart)
        return;
    m_bMenusWithChart = withChart;
    menuBar()->clear();
    for (QMenu* menu : withChart ? m_menusChart : m_menusNoChart)
        menuBar()->addMenu(menu);
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = new QToolBar(Utf8("Pasek narzędzi"), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolBar"));
    m_wndToolBar->setIconSize(QSize(16, 16));
    for (int command : kToolBarButtons) {
        if (command == 0)
            m_wndToolBar->addSeparator();
        else
            m_wndToolBar->addAction(GetAction(command));
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    // Pane 0 shows the prompt of a highlighted command, otherwise the idle text.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(Utf8(kIdleText));
    });
    bar->showMessage(Utf8(kIdleText));

    auto pane = [bar](const QString& widthOf) {
        auto* label = new QLabel(bar);
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setFixedWidth(label->fontMetrics().horizontalAdvance(widthOf) +
                             2 * label->frameWidth() + 4);
        bar->addPermanentWidget(label);
        return label;
    };
    m_pPaneX = pane(QString(41, ' '));
    m_pPaneY = pane(QString(41, ' '));
    m_pPaneServer = pane(QStringLiteral("SERWER"));
    m_pPaneClient = pane(QStringLiteral("KLIENT  "));
}

void CMainFrame::UpdateSharingPanes()
{
    m_pPaneServer->setText(FromCp1250(m_server.GetPaneText()));
    m_pPaneClient->setText(FromCp1250(m_client.GetPaneText()));
}

void CMainFrame::UpdateActions()
{
    CZeltra20Doc* document = GetActiveDocument();
    const bool chart = document != nullptr;
    ShowMenusFor(chart);

    auto set = [this](int command, bool enabled) { GetAction(command)->setEnabled(enabled); };
    for (int command : {Cmd::kFileClose, Cmd::kFileSaveAs, Cmd::kFilePrint, Cmd::kFilePrintPreview,
                        Cmd::kAddFunction, Cmd::kProperties, Cmd::kFunctions, Cmd::kRange,
                        Cmd::kScale, Cmd::kGridAxes, Cmd::kDescriptions, Cmd::kComputation,
                        Cmd::kTableSettings, Cmd::kZoomIn, Cmd::kZoomOut, Cmd::kNewWindow,
                        Cmd::kCascade, Cmd::kTile, Cmd::kArrangeIcons, Cmd::kCloseAll,
                        Cmd::kClient, Cmd::kNextPane, Cmd::kPrevPane, Cmd::kModePoint,
                        Cmd::kModePan, Cmd::kModeZoom, Cmd::kGuides, Cmd::kToggleTable,
                        Cmd::kEditCopy, Cmd::kExportChart, Cmd::kExportTable,
                        Cmd::kPointsOfInterest, Cmd::kAnalysis, Cmd::kArea})
        set(command, chart);
    set(Cmd::kFileSave, chart && document->IsModified());
    set(Cmd::kUndoZoom, chart && document->GetChart().CanUndoZoom());
    set(Cmd::kSplitBar, chart && document->GetChart().IsTableVisible());

    // Without a chart the mode, guides and table buttons are disabled and
    // show no state.
    for (int mode : {Cmd::kModePoint, Cmd::kModePan, Cmd::kModeZoom})
        GetAction(mode)->setChecked(chart && m_nMouseMode == mode);
    GetAction(Cmd::kGuides)->setChecked(chart && m_bGuides);
    GetAction(Cmd::kPointsOfInterest)->setChecked(chart && m_bPointsOfInterest);
    GetAction(Cmd::kAntialiasing)->setChecked(m_bAntialiasing);
    GetAction(Cmd::kToggleTable)->setChecked(chart && document->GetChart().IsTableVisible());
    GetAction(Cmd::kToolBar)->setChecked(m_wndToolBar == nullptr || !m_wndToolBar->isHidden());
    GetAction(Cmd::kStatusBar)->setChecked(!statusBar()->isHidden());

    for (const auto& [command, alias] : m_aliases)
        alias->setEnabled(GetAction(command)->isEnabled());
}

void CMainFrame::ShowCoordinates(const QString& x, const QString& y)
{
    m_pPaneX->setText(x);
    m_pPaneY->setText(y);
}

void CMainFrame::ShowContextMenu(const QPoint& globalPos)
{
    UpdateActions();
    m_pContextMenu->exec(globalPos);
}

void CMainFrame::SendChartToClients()
{
    if (!m_server.IsListening() || m_bClosingAll)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_server.SendChartToAll();
    QApplication::restoreOverrideCursor();
}

bool CMainFrame::CanShowChart()
{
    // A chart arriving while the user answers a question or edits in a
    // dialog would change, or add to, what they are deciding about (the
    // charts to save on exit, the functions in the sheet): it waits in the
    // connection until that is over. The sharing dialogs only watch the
    // connection, so charts go on arriving under them.
    const QWidget* modal = QApplication::activeModalWidget();
    const bool busy = m_bClosingAll ||
                      (modal != nullptr && qobject_cast<const CClientDlg*>(modal) == nullptr &&
                       qobject_cast<const CServerDlg*>(modal) == nullptr);
    if (busy) {
        if (!m_resumeReading.isActive())
            m_resumeReading.start();
        return false;
    }
    return DocumentSharingHost::CanShowChart();
}

CZeltra20Doc* CMainFrame::OpenChartWindow()
{
    m_pDocManager->OnFileNew();
    return GetActiveDocument();
}

void CMainFrame::OnCommand(int command)
{
    CChildFrame* frame = GetActiveFrame();
    CZeltra20Doc* document = frame ? &frame->GetDocument() : nullptr;
    switch (command) {
    case Cmd::kFileNew:
        m_pDocManager->OnFileNew();
        break;
    case Cmd::kFileOpen:
        m_pDocManager->OnFileOpen();
        break;
    case Cmd::kFilePrintSetup:
        m_printer.Setup(this);
        break;
    case Cmd::kAppExit:
        close();
        break;
    case Cmd::kAppAbout:
        OnAbout();
        break;
    case Cmd::kHelp:
        OnHelp();
        break;
    case Cmd::kToolBar:
        m_wndToolBar->setVisible(m_wndToolBar->isHidden());
        break;
    case Cmd::kStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
    case Cmd::kModePoint:
    case Cmd::kModePan:
    case Cmd::kModeZoom:
        OnSetMouseMode(command);
        break;
    case Cmd::kGuides:
        m_bGuides = !m_bGuides;
        break;
    case Cmd::kPointsOfInterest:
        OnPointsOfInterest();
        break;
    case Cmd::kAntialiasing:
        OnAntialiasing();
        break;
    case Cmd::kServer:
        OnServer();
        break;
    case Cmd::kClient:
        OnClient();
        break;
    case Cmd::kCascade:
        m_pMdiArea->cascadeSubWindows();
        break;
    case Cmd::kTile:
        m_pMdiArea->tileSubWindows();
        break;
    case Cmd::kArrangeIcons:
        break;
    case Cmd::kCloseAll:
        OnCloseAll();
        break;
    default:
        break;
    }
    if (document != nullptr) {
        switch (command) {
        case Cmd::kFileClose:
            frame->parentWidget()->close();
            break;
        case Cmd::kFileSave:
            m_pDocManager->OnFileSave(*document);
            break;
        case Cmd::kFileSaveAs:
            m_pDocManager->OnFileSaveAs(*document);
            break;
        case Cmd::kFilePrint:
            m_printer.Print(*document, frame->GetGraphView()->Picture(true), this);
            break;
        case Cmd::kFilePrintPreview:
            m_printer.Preview(*document, frame->GetGraphView()->Picture(true), this);
            break;
        case Cmd::kExportChart:
            ExportChart(*document, frame->GetGraphView()->size(), m_printer.GetPageLayout(),
                        frame->GetGraphView()->Picture(true), this);
            break;
        case Cmd::kExportTable:
            ExportTable(*document, this);
            break;
        case Cmd::kEditCopy:
            // The pane with the keyboard, which is also the one whose menu
            // was asked for.
            if (frame->GetTableView()->hasFocus())
                frame->GetTableView()->CopyToClipboard();
            else
                frame->GetGraphView()->CopyToClipboard();
            break;
        case Cmd::kAddFunction:
            document->OnAddFunction(this);
            break;
        case Cmd::kProperties:
        case Cmd::kFunctions:
        case Cmd::kRange:
        case Cmd::kScale:
        case Cmd::kGridAxes:
        case Cmd::kDescriptions:
        case Cmd::kComputation:
        case Cmd::kTableSettings:
            document->OnSettings(command, this);
            ApplySpacingRule();
            break;
        case Cmd::kZoomIn:
            document->OnZoomIn();
            break;
        case Cmd::kZoomOut:
            document->OnZoomOut();
            break;
        case Cmd::kUndoZoom:
            document->OnUndoZoom();
            break;
        case Cmd::kToggleTable:
            document->OnToggleTable();
            break;
        case Cmd::kAnalysis:
            RunAnalysisDialog(document->GetChart(), this);
            break;
        case Cmd::kArea:
            OnArea(*frame);
            break;
        case Cmd::kNewWindow:
            OnNewWindow();
            break;
        case Cmd::kSplitBar:
            frame->OnSplitBar();
            break;
        case Cmd::kNextPane:
        case Cmd::kPrevPane:
            frame->OnNextPane();
            break;
        default:
            break;
        }
    }
    UpdateActions();
}

void CMainFrame::OnSetMouseMode(int command)
{
    m_nMouseMode = command;
    // The cursor belongs to every graph view at once, and changes only when
    // the mode is chosen with a chart window active.
    if (GetActiveFrame() == nullptr)
        return;
    m_viewCursor = CursorOf(command);
    for (CChildFrame* frame : GetFrames())
        frame->GetGraphView()->setCursor(m_viewCursor);
}

void CMainFrame::OnPointsOfInterest()
{
    m_bPointsOfInterest = !m_bPointsOfInterest;
    QSettings().setValue(kPointsOfInterestKey, m_bPointsOfInterest);
    for (CChildFrame* frame : GetFrames())
        frame->GetGraphView()->ShowPointsOfInterest();
}

void CMainFrame::OnArea(CChildFrame& frame)
{
    ShadedArea area;
    if (RunAreaDialog(frame.GetDocument().GetChart(), this, area))
        frame.GetGraphView()->ShadeArea(area);
}

void CMainFrame::OnAntialiasing()
{
    m_bAntialiasing = !m_bAntialiasing;
    WriteAntialiasing(m_bAntialiasing);
    for (CChildFrame* frame : GetFrames())
        frame->GetGraphView()->Redraw();
}

void CMainFrame::ApplySpacingRule()
{
    m_spacingRule = ReadSpacingRule();
    std::vector<CZeltra20Doc*> changed;
    for (CChildFrame* frame : GetFrames()) {
        FunctionContainer& chart = frame->GetDocument().GetChart();
        if (chart.GetSpacingRule() == m_spacingRule)
            continue;
        chart.SetSpacingRule(m_spacingRule);
        chart.Recalculate(true);
        changed.push_back(&frame->GetDocument());
    }
    // The charts themselves are as they were: nothing to send or save.
    for (CZeltra20Doc* document : changed)
        document->UpdateAllViews(nullptr, UpdateHint::kKeepTable | UpdateHint::kNoSend);
}

void CMainFrame::OnAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

CHelpWindow* CMainFrame::GetHelpWindow() const
{
    return m_pHelpWindow;
}

void CMainFrame::OnHelp()
{
    // One help window for the whole run, brought forward when asked again.
    if (m_pHelpWindow == nullptr) {
        m_pHelpWindow = new CHelpWindow(this);
        // Over the program's window, where the user looks, not where the
        // desktop puts new windows.
        m_pHelpWindow->move(frameGeometry().center() - m_pHelpWindow->rect().center());
    }
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
}

void CMainFrame::OnServer()
{
    CServerDlg dialog(m_server, this);
    dialog.exec();
}

void CMainFrame::OnClient()
{
    CClientDlg dialog(m_client, this);
    dialog.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (CloseAllCharts())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            m_pDocManager->OpenDocumentFile(url.toLocalFile());
    }
    event->acceptProposedAction();
}
