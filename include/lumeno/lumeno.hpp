#pragma once

// Everything a host needs: the entry object, the calls, the records.

#include "lumeno/core/cancellable.hpp"
#include "lumeno/core/credentials_manager.hpp"
#include "lumeno/core/date_utils.hpp"
#include "lumeno/core/enums.hpp"
#include "lumeno/core/error.hpp"
#include "lumeno/core/json/decoder.hpp"
#include "lumeno/core/json/extra_data.hpp"
#include "lumeno/core/json/free_form.hpp"
#include "lumeno/core/json/json.hpp"
#include "lumeno/core/json/readers.hpp"
#include "lumeno/core/json/wrap.hpp"
#include "lumeno/core/keychain_wrapper.hpp"
#include "lumeno/core/lumeno.hpp"
#include "lumeno/core/main_queue.hpp"
#include "lumeno/core/network_log.hpp"
#include "lumeno/core/paginated_response.hpp"
#include "lumeno/core/response.hpp"
#include "lumeno/core/result.hpp"
#include "lumeno/core/utils.hpp"
