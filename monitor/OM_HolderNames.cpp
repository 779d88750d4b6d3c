#include "OM_HolderNames.h"

#include <chrono>

namespace {

using namespace std::chrono_literals;

constexpr orvane::HostNameCache::Limits kLimits = {
    .capacity = 64, .nameAge = 1h, .failedAge = 5min, .lookupsInFlight = 4};

} // namespace

// The cache is destroyed before the object it posts to, and waits for a report that runs just
// then; a report still queued when the object goes is dropped by Qt.
OM_HolderNames::OM_HolderNames(QObject *parent)
    : QObject(parent), oCache(kLimits, [this](const std::string &sHolder) {
          QMetaObject::invokeMethod(
              this, [this, sHolder] { emit sigNamed(QString::fromStdString(sHolder)); });
      }) {}

QString OM_HolderNames::nameOf(const QString &sHolder) {
    return QString::fromStdString(oCache.nameOf(sHolder.toStdString()));
}
