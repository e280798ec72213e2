#include "http/connection_pool.h"

#include "http/transfer.h"

namespace velmora {
namespace {

thread_local int open_pools = 0;

}  // namespace

ConnectionPool::ConnectionPool() {
    ++open_pools;
}

ConnectionPool::~ConnectionPool() {
    if (--open_pools == 0) {
        close_pooled_connections();
    }
}

bool connections_pooled() {
    return open_pools > 0;
}

}  // namespace velmora
