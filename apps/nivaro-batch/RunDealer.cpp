#include "RunDealer.h"

#include <cstdlib>
#include <vector>

#ifdef NIVARO_WITH_MPI
#include <mpi.h>
#endif

namespace nivaro {
namespace {

#ifdef NIVARO_WITH_MPI
// mpirun and the schedulers' launchers announce the job in the environment;
// a program started by hand does not start MPI at all.
bool LaunchedByMpi()
{
    for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE", "PMIX_RANK"}) {
        if (std::getenv(name) != nullptr) {
            return true;
        }
    }
    return false;
}
#endif

}  // namespace

RunDealer::RunDealer(int shardIndex, int shardCount) : rank_(shardIndex), size_(shardCount)
{
#ifdef NIVARO_WITH_MPI
    if (shardCount == 1 && LaunchedByMpi()) {
        MPI_Init(nullptr, nullptr);
        MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
        MPI_Comm_size(MPI_COMM_WORLD, &size_);
        cluster_ = size_ > 1;
        if (!cluster_) {
            MPI_Finalize();
        }
    }
#endif
}

RunDealer::~RunDealer()
{
#ifdef NIVARO_WITH_MPI
    if (cluster_) {
        MPI_Finalize();
    }
#endif
}

void RunDealer::Send([[maybe_unused]] int run, [[maybe_unused]] const std::string& line,
                     [[maybe_unused]] const QImage& frame) const
{
#ifdef NIVARO_WITH_MPI
    const QImage rgb = frame.isNull() ? QImage() : frame.convertToFormat(QImage::Format_RGB888);
    const int header[3] = {rgb.width(), rgb.height(), static_cast<int>(line.size())};
    MPI_Send(header, 3, MPI_INT, 0, run, MPI_COMM_WORLD);
    MPI_Send(line.data(), header[2], MPI_CHAR, 0, run, MPI_COMM_WORLD);
    for (int row = 0; row < rgb.height(); ++row) {
        MPI_Send(rgb.constScanLine(row), rgb.width() * 3, MPI_UNSIGNED_CHAR, 0, run, MPI_COMM_WORLD);
    }
#endif
}

RunDealer::Delivery RunDealer::Receive([[maybe_unused]] int run) const
{
    Delivery delivery;
#ifdef NIVARO_WITH_MPI
    const int owner = run % size_;
    int header[3] = {0, 0, 0};
    MPI_Recv(header, 3, MPI_INT, owner, run, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    delivery.line.resize(static_cast<std::size_t>(header[2]));
    MPI_Recv(delivery.line.data(), header[2], MPI_CHAR, owner, run, MPI_COMM_WORLD, MPI_STATUS_IGNORE);
    if (header[0] > 0 && header[1] > 0) {
        delivery.frame = QImage(header[0], header[1], QImage::Format_RGB888);
        for (int row = 0; row < header[1]; ++row) {
            MPI_Recv(delivery.frame.scanLine(row), header[0] * 3, MPI_UNSIGNED_CHAR, owner, run, MPI_COMM_WORLD,
                     MPI_STATUS_IGNORE);
        }
    }
#endif
    return delivery;
}

bool RunDealer::AnyFailed(bool failedHere) const
{
#ifdef NIVARO_WITH_MPI
    if (cluster_) {
        int local = failedHere ? 1 : 0;
        int any = 0;
        MPI_Allreduce(&local, &any, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD);
        return any != 0;
    }
#endif
    return failedHere;
}

void RunDealer::AbortJob(int status) const
{
#ifdef NIVARO_WITH_MPI
    MPI_Abort(MPI_COMM_WORLD, status);
#endif
    std::exit(status);
}

}  // namespace nivaro
