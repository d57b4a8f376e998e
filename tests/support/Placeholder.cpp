// placeholder until test support lands
