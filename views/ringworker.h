#pragma once

#include "chart/curveanalysis.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QObject;

/// Runs the analysis behind a view's rings on a thread of its own, so that a
/// chart appears at once and its rings a moment later.
///
/// Each request carries a copy of the chart's curves (CurveSet), so the
/// chart may change while it runs. A newer request replaces a waiting one
/// and cancels a running one (its budget empties at its next use, within a
/// cell's work); only the answers of the newest request are delivered, on
/// the thread of `context` through its event loop, and never after the
/// worker or the context is gone.
class CRingWorker
{
public:
    using Delivery = std::function<void(ChartAnswers)>;

    CRingWorker(QObject& context, Delivery deliver);
    ~CRingWorker();
    CRingWorker(const CRingWorker&) = delete;
    CRingWorker& operator=(const CRingWorker&) = delete;

    /// Analyzes `curves`, each list cut at `cap` points spread over the
    /// range, with at most `evaluations` units of work.
    void Request(CurveSet curves, std::size_t cap, std::size_t evaluations);
    /// Forgets the request in hand: nothing more is delivered.
    void Cancel();
    /// Whether a request's answers are still to come.
    bool Pending() const { return m_bPending; }
    /// Blocks until the request in hand is done and delivers its answers now
    /// (for measuring the worker's time and for tests).
    void Finish();

private:
    struct Job
    {
        uint64_t generation;
        CurveSet curves;
        std::size_t cap;
        std::size_t evaluations;
    };

    void Loop();
    void Deliver(uint64_t generation, ChartAnswers answers);

    QObject& m_context;
    Delivery m_deliver;
    bool m_bPending = false;  ///< read and written on the context's thread only
    uint64_t m_nWanted = 0;   ///< the generation whose answers are wanted, the same

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_job;              ///< waiting to run
    std::shared_ptr<std::atomic<bool>> m_pRunningCancel; ///< of the job running
    bool m_bRunning = false;
    std::optional<std::pair<uint64_t, ChartAnswers>> m_done; ///< answers not yet delivered
    bool m_bStop = false;
    std::thread m_thread;
};
