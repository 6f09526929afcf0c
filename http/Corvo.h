// The HTTP client of the product, namespace Corvo: the narrow instantiations.
#pragma once

#include "http/HttpClient.h"
#include "http/HttpEncoderA.h"
#include "http/HttpToolA.h"

namespace Corvo {

using CHttpClientA = CHttpClientT<CHttpToolA, CHttpEncoderA>;
using CHttpResponseA = CHttpResponseT<CHttpToolA>;
using CHttpPostStatA = CHttpPostStatT<CHttpToolA>;
using CHttpClientMapA = CHttpClientMapT<CHttpToolA>;
using CHttpUrlAnalyzerA = CHttpUrlAnalyzerT<CHttpToolA>;

}  // namespace Corvo
