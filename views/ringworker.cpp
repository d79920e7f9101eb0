#include "views/ringworker.h"

#include "chart/curve.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <utility>

CRingWorker::CRingWorker(QObject& context, Delivery deliver)
    : m_context(context), m_deliver(std::move(deliver)), m_thread([this] { Loop(); })
{
}

CRingWorker::~CRingWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_job.reset();
        if (m_pRunningCancel != nullptr)
            m_pRunningCancel->store(true);
    }
    m_wake.notify_all();
    m_thread.join();
}

void CRingWorker::Request(CurveSet curves, std::size_t cap, std::size_t evaluations)
{
    m_bPending = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nWanted;
        m_job = Job{m_nWanted, std::move(curves), cap, evaluations};
        if (m_pRunningCancel != nullptr)
            m_pRunningCancel->store(true);
    }
    m_wake.notify_all();
}

void CRingWorker::Cancel()
{
    m_bPending = false;
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_nWanted;
    m_job.reset();
    if (m_pRunningCancel != nullptr)
        m_pRunningCancel->store(true);
}

void CRingWorker::Finish()
{
    std::optional<std::pair<uint64_t, ChartAnswers>> done;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_job.has_value() && !m_bRunning; });
        done = std::move(m_done);
        m_done.reset();
    }
    if (done.has_value())
        Deliver(done->first, std::move(done->second));
}

void CRingWorker::Loop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_bStop || m_job.has_value(); });
        if (m_bStop)
            return;
        Job job = std::move(*m_job);
        m_job.reset();
        auto cancel = std::make_shared<std::atomic<bool>>(false);
        m_pRunningCancel = cancel;
        m_bRunning = true;
        lock.unlock();

        EvaluationBudget budget(job.evaluations, cancel.get());
        ChartAnswers answers = CurveAnalysis::Analyze(job.curves, job.cap, ListCut::kSpread, budget);

        lock.lock();
        m_pRunningCancel.reset();
        m_bRunning = false;
        if (!cancel->load() && !m_bStop) {
            // Kept here until the context's thread takes them: by its event
            // loop, or by Finish when it waits for them.
            m_done.emplace(job.generation, std::move(answers));
            QMetaObject::invokeMethod(
                &m_context,
                [this] {
                    std::optional<std::pair<uint64_t, ChartAnswers>> done;
                    {
                        std::lock_guard<std::mutex> guard(m_mutex);
                        done = std::move(m_done);
                        m_done.reset();
                    }
                    if (done.has_value())
                        Deliver(done->first, std::move(done->second));
                },
                Qt::QueuedConnection);
        }
        m_idle.notify_all();
    }
}

void CRingWorker::Deliver(uint64_t generation, ChartAnswers answers)
{
    if (generation != m_nWanted || !m_bPending)
        return;
    m_bPending = false;
    m_deliver(std::move(answers));
}
