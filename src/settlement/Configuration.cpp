#include "settlement/Configuration.h"

Configuration::Configuration(Context ctx, QObject* parent) : QObject(parent), ctx_(ctx) {}
