# (filled in as the windows land)
