// placeholder until the model operations land
#include "MqoLoader.h"

MqoLoaderState mqoLoaderState;
