#pragma once

#include <QImage>
#include <string>

namespace nivaro {

// Deals the runs of a sweep out over processes: the ranks of an MPI job when
// the program runs under mpirun (and was built with MPI), else the shard
// given by hand (one process: every run). Run r belongs to rank r % size.
// Rank 0 leads: it takes every run's summary line and frame in run order,
// receiving those of the other ranks, which send theirs as they finish.
class RunDealer {
public:
    RunDealer(int shardIndex, int shardCount);
    ~RunDealer();
    RunDealer(const RunDealer&) = delete;
    RunDealer& operator=(const RunDealer&) = delete;

    bool Mine(int run) const { return run % size_ == rank_; }
    bool Leads() const { return rank_ == 0 || !cluster_; }
    bool InCluster() const { return cluster_; }
    int Rank() const { return rank_; }

    // A run of another rank, on the leader: its summary line and frame.
    struct Delivery {
        std::string line;
        QImage frame;
    };
    // On a rank that does not lead: hands a finished run to the leader.
    void Send(int run, const std::string& line, const QImage& frame) const;
    // On the leader, in run order.
    Delivery Receive(int run) const;
    // True when a rank failed a run; every rank learns the same.
    bool AnyFailed(bool failedHere) const;
    // Ends every rank of the job with the status: the others would wait for
    // this one for ever.
    [[noreturn]] void AbortJob(int status) const;

private:
    bool cluster_ = false;
    int rank_ = 0;
    int size_ = 1;
};

}  // namespace nivaro
