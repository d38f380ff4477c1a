# (filled in by the window-message / transport work)
