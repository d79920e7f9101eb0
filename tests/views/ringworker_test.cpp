#include "views/ringworker.h"

#include "chart/functioncontainer.h"

#include <QtTest>

#include <string>
#include <vector>

// The worker behind the rings: the newest request's answers only, on the
// GUI thread, and none once cancelled.
class RingWorkerTest : public QObject
{
    Q_OBJECT

    static CurveSet Curves(const std::string& formula, double min, double max)
    {
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetCurrent(-1);
        chart.SetFunction(formula, 0, true, 0);
        chart.CommitEdit();
        return CurveSet::Take(chart, min, max);
    }

private slots:
    void deliversTheNewestRequestOnly_data()
    {
        QTest::addColumn<bool>("waitForIt"); ///< Finish, or the event loop
        QTest::newRow("finished") << true;
        QTest::newRow("through the event loop") << false;
    }

    void deliversTheNewestRequestOnly()
    {
        QFETCH(bool, waitForIt);
        QObject context;
        std::vector<ChartAnswers> delivered;
        Qt::HANDLE thread = nullptr;
        CRingWorker worker(context, [&](ChartAnswers answers) {
            thread = QThread::currentThreadId();
            delivered.push_back(std::move(answers));
        });
        worker.Request(Curves("sin(300*x)", 0, 10), 200, 400000);
        worker.Request(Curves("cos(x)", -1, 7), 200, 400000);
        worker.Request(Curves("x^2-2", -5, 5), 200, 400000);
        QVERIFY(worker.Pending());
        if (waitForIt)
            worker.Finish();
        else
            QTRY_VERIFY(!worker.Pending());
        QCoreApplication::processEvents();
        QCOMPARE(delivered.size(), std::size_t{1});
        QCOMPARE(thread, QThread::currentThreadId());
        QCOMPARE(delivered[0].m_xMin, -5.0);
        QCOMPARE(delivered[0].m_functions.at(0).m_points.zeros.size(), std::size_t{2});
    }

    void deliversNothingOnceCancelled()
    {
        QObject context;
        int delivered = 0;
        CRingWorker worker(context, [&](ChartAnswers) { ++delivered; });
        worker.Request(Curves("sin(300*x)", 0, 10), 200, 400000);
        worker.Cancel();
        QVERIFY(!worker.Pending());
        worker.Finish();
        QTest::qWait(50);
        QCOMPARE(delivered, 0);
    }

    void stopsWhileWorking()
    {
        // Going away mid-request neither waits for the whole analysis nor
        // delivers to what is gone.
        QObject context;
        int delivered = 0;
        {
            CRingWorker worker(context, [&](ChartAnswers) { ++delivered; });
            worker.Request(Curves("sin(1/x)*sin(300*x)", -10, 10), 1000000, 100000000);
        }
        QCoreApplication::processEvents();
        QCOMPARE(delivered, 0);
    }
};

QTEST_MAIN(RingWorkerTest)
#include "ringworker_test.moc"
