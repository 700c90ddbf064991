#pragma once

#include "platform/print/print_device.h"

// The sheets a report can be laid out on, in their stored order.
enum class PaperSizes {
    PAPER_LETTER,
    PAPER_LETTERSMALL,
    PAPER_TABLOID,
    PAPER_LEDGER,
    PAPER_LEGAL,
    PAPER_STATEMENT,
    PAPER_EXECUTIVE,
    PAPER_A3,
    PAPER_A4,
    TBA1,
    PAPER_A5,
    PAPER_B4,
    PAPER_B5,
    PAPER_FOLIO,
    PAPER_QUARTO,
    PAPER_10X14,
    PAPER_11X17,
    PAPER_NOTE,
    PAPER_ENV_9,
    PAPER_ENV_10,
    PAPER_ENV_11,
    PAPER_ENV_12,
    PAPER_ENV_14,
    TBA2,
    TBA3,
    TBA4,
    PAPER_ENV_DL,
    PAPER_ENV_C3,
    PAPER_ENV_C4,
    PAPER_ENV_C5,
    PAPER_ENV_C6,
    PAPER_ENV_C65,
    PAPER_ENV_B4,
    PAPER_ENV_B5,
    PAPER_ENV_B6,
    PAPER_ENV_ITALY,
    PAPER_ENV_MONARCH,
    PAPER_ENV_PERSONAL,
};

// The printer's paper code and the portrait size in inches; the TBA rows are of no size.
Paper PaperOf(PaperSizes size);
