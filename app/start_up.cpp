#include "sound/wav_buffer.h"
