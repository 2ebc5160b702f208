{
    "format": "tandel-sheet",
    "version": 1,
    "view": {"maxRow": 28, "maxCol": 28, "fixedRows": 1, "fixedCols": 1, "protection": true,
             "active": "B6", "selection": "B6"},
    "print": {"landscape": true, "fitToPages": true},
    "columns": [{"col": "A", "width": 210}],
    "rows": [],
    "formats": [{}, {"bold": true}, {"number": "£#,##0;-£#,##0", "locked": false}],
    "cells": [
        {"ref": "A1", "text": "Cashflow forecast"},
        {"ref": "C1", "text": "01/4/2027"},
        {"ref": "A2", "text": "Period - Monthly"},
        {"ref": "A3", "text": "Marketing costs (£)", "format": 1},
        {"ref": "A5", "text": "Advertising", "format": 1},
        {"ref": "B5", "formula": "SUM(B6:B9)", "format": 1},
        {"ref": "N5", "formula": "SUM(N6:N9)", "format": 1},
        {"ref": "A6", "text": "Print advertising"},
        {"ref": "B6", "number": 1200, "format": 2},
        {"ref": "N6", "formula": "SUM(B6:M6)"},
        {"ref": "A7", "text": "Online display advertising"},
        {"ref": "B7", "number": 300, "format": 2},
        {"ref": "N7", "formula": "SUM(B7:M7)"}
    ]
}
