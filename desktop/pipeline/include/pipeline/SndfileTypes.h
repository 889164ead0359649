// libsndfile's handle and format record, declared as libsndfile declares them,
// so that headers can name them without libsndfile's own header: the calls into
// libsndfile stay in the pipeline's sources.
#pragma once

struct SF_INFO;
typedef struct sf_private_tag SNDFILE;
