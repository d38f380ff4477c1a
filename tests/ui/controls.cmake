# (filled in as the tests land)
