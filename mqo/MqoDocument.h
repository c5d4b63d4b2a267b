// The MQO text document reader.
#pragma once

#include "MqoRecords.h"

// 1 when the file opens (whatever it holds), 0 when it cannot be opened.
int mqoParseDocument(MqoModel* model, const char* path, double scale, int alpha);
