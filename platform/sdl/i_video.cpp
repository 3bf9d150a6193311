// SDL display device (to come).
